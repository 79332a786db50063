// For each path on the command line: open, fstat, read the first four and
// the last two bytes, close. Prints how many began FF D8.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    int jpegs = 0;
    for (int i = 1; i < argc; ++i) {
        const int fd = ::open(argv[i], O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat st {};
        unsigned char head[4] = {}, tail[2] = {};
        if (::fstat(fd, &st) == 0 && ::pread(fd, head, 4, 0) == 4 &&
            ::pread(fd, tail, 2, st.st_size - 2) == 2 && head[0] == 0xFF && head[1] == 0xD8) {
            ++jpegs;
        }
        ::close(fd);
    }
    std::printf("%d\n", jpegs);
    return 0;
}
