#include "JpzFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "Random.h"
#include "jpz.h"

namespace jpz {

namespace {

// AES-GCM encrypts at most 2^36 - 32 bytes under one nonce; a picture stays
// well below that.
constexpr uint64_t kMaxContent = (uint64_t(1) << 36) - 32;

class TFd {
public:
    explicit TFd(int fd = -1) : FFd(fd) {}
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd() { Reset(-1); }
    int Get() const { return FFd; }
    bool Valid() const { return FFd >= 0; }
    void Reset(int fd) {
        if (FFd >= 0) {
            ::close(FFd);
        }
        FFd = fd;
    }

private:
    int FFd;
};

// ".murkwell-<pid>-<8 random>.tmp", the Murkwell programs' own form, so a
// later run knows it and removes it once this process is gone.
std::string TemporaryName() {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    uint8_t random[8] = {};
    if (!FillRandom(random)) {
        return {};
    }
    // Not std::to_string: see LinkTemporary.
    char name[48];
    int length = std::snprintf(name, sizeof name, ".murkwell-%ld-", long(::getpid()));
    for (uint8_t byte : random) {
        name[length++] = kAlphabet[byte % (sizeof kAlphabet - 1)];
    }
    name[length] = '\0';
    return std::string(name) + ".tmp";
}

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += size_t(written);
    }
    return true;
}

// Gives an unnamed temporary file a name in its folder.
bool LinkTemporary(int fd, int dirFd, const std::string& name) {
    if (::linkat(fd, "", dirFd, name.c_str(), AT_EMPTY_PATH) == 0) {
        return true;
    }
    // Not std::to_string: its table is a GNU unique symbol, which would keep
    // the library from ever being unloaded and its keys from being wiped.
    char procPath[40];
    std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, procPath, dirFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// The file that path names: the target of a symbolic link, or path itself
// when nothing is there yet. False for a dangling link or anything but a
// regular file.
bool OutputTarget(const char* path, std::string& target, struct stat& existing, bool& exists) {
    struct stat link {};
    if (::lstat(path, &link) != 0) {
        exists = false;
        target = path;
        return errno == ENOENT;
    }
    if (::stat(path, &existing) != 0 || !S_ISREG(existing.st_mode)) {
        return false;
    }
    char resolved[PATH_MAX];
    if (::realpath(path, resolved) == nullptr) {
        return false;
    }
    exists = true;
    target = resolved;
    return true;
}

}  // namespace

int ReadInput(const char* path, size_t head, size_t tail, TBuffer& buffer) {
    TFd fd(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return JPZ_ERR_READ;
    }
    if (uint64_t(st.st_size) > kMaxContent) {
        return JPZ_ERR_NO_MEMORY;
    }
    const size_t size = size_t(st.st_size);
    buffer.FData.reset(new (std::nothrow) uint8_t[head + size + tail]);
    if (!buffer.FData) {
        return JPZ_ERR_NO_MEMORY;
    }
    size_t got = 0;
    while (got < size) {
        const ssize_t n =
            ::pread(fd.Get(), buffer.FData.get() + head + got, size - got, off_t(got));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return JPZ_ERR_READ;
        }
        if (n == 0) {
            break;  // the file shrank while it was read
        }
        got += size_t(n);
    }
    buffer.FHead = head;
    buffer.FTail = tail;
    buffer.FSize = head + got + tail;
    return JPZ_OK;
}

int WriteOutput(const char* path, std::span<const uint8_t> bytes, TSync sync) {
    std::string target;
    struct stat existing {};
    bool exists = false;
    if (!OutputTarget(path, target, existing, exists)) {
        return JPZ_ERR_WRITE;
    }
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);

    TFd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd.Valid()) {
        return JPZ_ERR_WRITE;
    }
    // A new file gets the usual mode less the umask; a replaced one keeps its own.
    const mode_t mode = 0666;
    std::string tempName;
    TFd fd(::openat(dirFd.Get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (!fd.Valid() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int attempt = 0; attempt < 16 && !fd.Valid(); ++attempt) {
            tempName = TemporaryName();
            if (tempName.empty()) {
                return JPZ_ERR_WRITE;
            }
            fd.Reset(::openat(dirFd.Get(), tempName.c_str(),
                              O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode));
            if (!fd.Valid() && errno != EEXIST) {
                break;
            }
        }
    }
    if (!fd.Valid()) {
        return JPZ_ERR_WRITE;
    }
    auto fail = [&] {
        if (!tempName.empty()) {
            ::unlinkat(dirFd.Get(), tempName.c_str(), 0);
        }
        return JPZ_ERR_WRITE;
    };
    if (!WriteAll(fd.Get(), bytes)) {
        return fail();
    }
    if (exists) {
        if (::fchmod(fd.Get(), existing.st_mode & 07777) != 0) {
            return fail();
        }
        // Only a privileged process may give the file away; others keep their own.
        if (::fchown(fd.Get(), existing.st_uid, existing.st_gid) != 0 && errno != EPERM) {
            return fail();
        }
    }
    if (sync == TSync::ToDisk && ::fsync(fd.Get()) != 0) {
        return fail();
    }
    if (tempName.empty()) {
        tempName = TemporaryName();
        if (tempName.empty() || !LinkTemporary(fd.Get(), dirFd.Get(), tempName)) {
            return JPZ_ERR_WRITE;
        }
    }
    if (::renameat(dirFd.Get(), tempName.c_str(), dirFd.Get(), name.c_str()) != 0) {
        return fail();
    }
    if (sync == TSync::ToDisk) {
        ::fsync(dirFd.Get());
    }
    return JPZ_OK;
}

bool SameFile(const char* a, const char* b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a, &sa) == 0 && ::stat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace jpz
