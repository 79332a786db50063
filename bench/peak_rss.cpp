// peak_rss COMMAND ARGS...: runs the command and prints its peak resident
// memory in KiB on stderr; exits with the command's status.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: peak_rss COMMAND ARGS...\n");
        return 2;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execvp(argv[1], argv + 1);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    std::fprintf(stderr, "peak_rss_kib %ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
