#include "FileRename.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

namespace murk {

std::string ChangeFileExt(const std::string& path, std::string_view newExt) {
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find_last_of('.');
    const size_t stem = dot == std::string::npos || dot < nameStart ? path.size() : dot;
    return path.substr(0, stem) + std::string(newExt);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // The file system cannot refuse to replace: a hard link fails when the
    // target exists, and then the old name goes.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    if (::unlink(from.c_str()) != 0) {
        ::unlink(to.c_str());
        return false;
    }
    return true;
}

}  // namespace murk
