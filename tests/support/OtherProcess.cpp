#include "OtherProcess.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

namespace murktest {

TSlowAppender::TSlowAppender(const std::string& path, int chunks, size_t chunkBytes,
                             std::chrono::milliseconds interval)
    : FChunks(chunks), FChunkBytes(chunkBytes) {
    int ready[2];
    if (::pipe(ready) != 0) {
        throw std::runtime_error("pipe failed");
    }
    FPid = ::fork();
    if (FPid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (FPid == 0) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
        char byte = 1;
        (void)!::write(ready[1], &byte, 1);
        for (int chunk = 0; chunk < chunks; ++chunk) {
            std::this_thread::sleep_for(interval);
            const TBytes part(chunkBytes, uint8_t(chunk));
            if (::write(fd, part.data(), part.size()) != ssize_t(part.size())) {
                ::_exit(1);
            }
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    const bool opened = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    if (!opened) {
        throw std::runtime_error("the writer did not start");
    }
}

TSlowAppender::~TSlowAppender() {
    Finished();
}

bool TSlowAppender::Finished() {
    if (FPid <= 0) {
        return false;
    }
    int status = 0;
    const bool waited = ::waitpid(FPid, &status, 0) == FPid;
    FPid = -1;
    return waited && status == 0;
}

TBytes TSlowAppender::Appended(TBytes start) const {
    for (int chunk = 0; chunk < FChunks; ++chunk) {
        start.insert(start.end(), FChunkBytes, uint8_t(chunk));
    }
    return start;
}

int StatusUnderAddressLimit(size_t bytes, const std::function<bool()>& check) {
    const pid_t child = ::fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_AS, &limit);
        bool ok = false;
        try {
            ok = check();
        } catch (...) {
        }
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) {
        throw std::runtime_error("waitpid failed");
    }
    return status;
}

}  // namespace murktest
