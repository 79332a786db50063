#include "ReservedFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "FileSystem.h"

namespace murk {

TReservedFile::~TReservedFile() {
    Close();
    if (!FPath.empty() && !FKept) {
        ::unlink(FPath.c_str());
    }
}

TReservedFile::TResult TReservedFile::Create(const std::string& path, mode_t mode) {
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        return errno == EEXIST ? TResult::Exists : TResult::Failed;
    }
    FPath = path;
    FFd = fd;
    // The mode is set after creation, so the umask does not narrow it.
    if (::fchmod(fd, mode & 07777) != 0) {
        return TResult::Failed;
    }
    return TResult::Created;
}

void TReservedFile::Write(std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(FFd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileIoError("Cannot write " + FPath + ": " + std::strerror(errno) + ".");
        }
        done += size_t(written);
    }
}

void TReservedFile::Close() {
    if (FFd >= 0) {
        ::close(FFd);
        FFd = -1;
    }
}

}  // namespace murk
