#include "Utility.h"

int main(int argc, char *argv[])
{
    return runUtility(argc, argv);
}
