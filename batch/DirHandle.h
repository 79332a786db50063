#pragma once

#include <dirent.h>

#include <string>

namespace murk {

// An open folder listing, closed when it goes; Get() is null when the
// folder could not be opened (errno says why).
class TDirHandle {
public:
    explicit TDirHandle(const std::string& path) : FDir(::opendir(path.c_str())) {}
    ~TDirHandle() {
        if (FDir != nullptr) {
            ::closedir(FDir);
        }
    }
    TDirHandle(const TDirHandle&) = delete;
    TDirHandle& operator=(const TDirHandle&) = delete;
    DIR* Get() const { return FDir; }

private:
    DIR* FDir;
};

}  // namespace murk
