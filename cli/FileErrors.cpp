#include "FileErrors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace murk::cli {

std::string OpenError(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::strerror(errno);
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular ? "cannot be read" : "not a regular file";
}

std::string FileErrorReason(const FileError& error) {
    if (error.Action() == "open") {
        return error.Reason();
    }
    return "cannot " + error.Action() + ": " + error.Reason();
}

}  // namespace murk::cli
