// The least a program can do to capture the datalog over a serial line: the same commands as
// quvane capture (identify, datalog status, one "Q1" per record), each framed, sent and answered
// by a line, with no decoding and no file. What the capture takes beyond this client's time is
// the program's own cost.
//   capture_client DEVICE RECORDS
#include "link/Framing.h"

#include <QByteArray>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

using namespace quvane;

namespace {

int sequence = 0;

bool exchange(int fd, const QByteArray &command)
{
    const QByteArray line = Framing::frame(command, sequence++ & 0xF) + '\r';
    if (::write(fd, line.constData(), static_cast<size_t>(line.size())) != line.size())
        return false;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        if (buffer[n - 1] == '\r')
            return true;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: capture_client DEVICE RECORDS\n");
        return 2;
    }
    const int fd = ::open(argv[1], O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    termios raw{};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::cfsetspeed(&raw, B115200);
    ::tcsetattr(fd, TCSANOW, &raw);
    const int records = std::atoi(argv[2]);
    if (!exchange(fd, "I") || !exchange(fd, "D0001"))
        return 1;
    for (int i = 0; i < records; ++i) {
        char command[16];
        std::snprintf(command, sizeof command, "Q1%08X", i);
        if (!exchange(fd, command))
            return 1;
    }
    ::close(fd);
    return 0;
}
