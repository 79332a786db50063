#include "JpzLibrary.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "FileSystem.h"

namespace murk {

namespace {

constexpr char kLibraryName[] = "libjpz.so";

void* OpenLibrary() {
    const char* named = std::getenv("MURKWELL_JPZ");
    // An empty name would make dlopen answer the program itself.
    if (named != nullptr && *named != '\0') {
        return std::strcmp(named, "none") == 0 ? nullptr : ::dlopen(named, RTLD_NOW | RTLD_LOCAL);
    }
    char executable[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", executable, sizeof executable - 1);
    if (length > 0) {
        const std::string beside =
            DirName(std::string(executable, size_t(length))) + "/" + kLibraryName;
        if (::access(beside.c_str(), F_OK) == 0) {
            if (void* handle = ::dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL)) {
                return handle;
            }
        }
    }
    return ::dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
}

TJpzConvert Export(void* handle, const char* name) {
    return reinterpret_cast<TJpzConvert>(::dlsym(handle, name));
}

}  // namespace

TJpzLibrary& TJpzLibrary::Instance() {
    static TJpzLibrary library;
    return library;
}

bool TJpzLibrary::Load() {
    if (FHandle == nullptr) {
        FHandle = OpenLibrary();
    }
    if (FHandle == nullptr) {
        FJPZtoJPG = FJPGtoJPZ = nullptr;
        return false;
    }
    FJPZtoJPG = Export(FHandle, "JPZtoJPG");
    FJPGtoJPZ = Export(FHandle, "JPGtoJPZ");
    return Available();
}

bool TJpzLibrary::Release() {
    FJPZtoJPG = FJPGtoJPZ = nullptr;
    if (FHandle != nullptr) {
        ::dlclose(FHandle);
        FHandle = nullptr;
    }
    return true;
}

int32_t TJpzLibrary::JPGtoJPZ(const std::string& jpz, const std::string& jpg,
                              const std::string& password) const {
    return Available() ? FJPGtoJPZ(jpz.c_str(), jpg.c_str(), password.c_str()) : -1;
}

int32_t TJpzLibrary::JPZtoJPG(const std::string& jpz, const std::string& jpg,
                              const std::string& password) const {
    return Available() ? FJPZtoJPG(jpz.c_str(), jpg.c_str(), password.c_str()) : -1;
}

}  // namespace murk
