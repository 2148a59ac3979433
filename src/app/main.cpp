#include "app/Utility.h"

using namespace quvane;

int main(int argc, char *argv[])
{
    return runUtility(argc, argv);
}
