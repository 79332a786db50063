#include "ReservedFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "FileSystem.h"
#include "OutputStream.h"

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
    TOutputStream content;
    content.WriteView(bytes);
    if (int error = 0; !WriteAll(FFd, content, error)) {
        throw FileIoError("write", FPath, std::strerror(error));
    }
}

void TReservedFile::Close() {
    if (FFd >= 0) {
        ::close(FFd);
        FFd = -1;
    }
}

}  // namespace murk
