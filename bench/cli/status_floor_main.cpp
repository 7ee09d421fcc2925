// The least a program can do for "qm5ctl status": open the terminal, write
// "CR0" CR, read up to the reply's CR and exit. Plain POSIX, no Qt, no lock
// file: the floor qm5ctl is measured against.

#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qm5bench-cli-floor DEVICE\n");
        return 2;
    }
    const int fd = ::open(argv[1], O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::perror(argv[1]);
        return 3;
    }
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B19200);
    ::tcsetattr(fd, TCSANOW, &settings);
    if (::write(fd, "CR0\r", 4) != 4)
        return 3;
    pollfd readable{fd, POLLIN, 0};
    char byte = 0;
    while (::poll(&readable, 1, 2000) > 0 && ::read(fd, &byte, 1) == 1) {
        if (byte == '\r')
            return 0;
    }
    return 1;
}
