// Test helper: takes the instance lock on a file like a second copy of the app would, says
// "locked" or "busy", and keeps it until its standard input closes.
#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const int fd = ::open(argv[1], O_RDWR | O_CREAT, 0600);
    if (fd < 0)
        return 3;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    std::puts(locked ? "locked" : "busy");
    std::fflush(stdout);
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) { }
    return 0;
}
