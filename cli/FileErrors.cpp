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

std::string FileErrorReason(const FileError& error, const std::string& path) {
    std::string text = error.what();
    const std::string marker = " " + path + ": ";
    if (const size_t at = text.find(marker); at != std::string::npos) {
        std::string verb = text.substr(0, at);
        const std::string rest = text.substr(at + marker.size());
        if (verb == "Cannot open") {
            text = rest;
        } else {
            if (!verb.empty() && verb[0] >= 'A' && verb[0] <= 'Z') {
                verb[0] = char(verb[0] - 'A' + 'a');
            }
            text = verb + ": " + rest;
        }
    }
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text;
}

}  // namespace murk::cli
