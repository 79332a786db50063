#include "FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "OutputStream.h"

namespace murk {

namespace {

constexpr const char kTempPrefix[] = ".murkwell-";
constexpr const char kTempSuffix[] = ".tmp";

std::string ErrorText(int error) {
    return std::strerror(error);
}

class TFd {
public:
    explicit TFd(int fd = -1) : FFd(fd) {}
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd() {
        if (FFd >= 0) {
            ::close(FFd);
        }
    }
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

std::string ResolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        throw FileCreateError("Cannot write " + path + ": " + ErrorText(errno) + ".");
    }
    return resolved;
}

// ".murkwell-<pid>-<8 random>.tmp": the process id tells a later run
// whether the writer is gone.
std::string RandomTempName() {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    uint8_t random[8] = {};
    if (::getrandom(random, sizeof random, 0) != ssize_t(sizeof random)) {
        // Uniqueness comes from O_EXCL; the random part only avoids retries.
        for (size_t i = 0; i < sizeof random; ++i) {
            random[i] = uint8_t((::getpid() >> i) ^ i * 37);
        }
    }
    std::string name = kTempPrefix + std::to_string(::getpid()) + "-";
    for (uint8_t byte : random) {
        name += kAlphabet[byte % (sizeof kAlphabet - 1)];
    }
    return name + kTempSuffix;
}

// The writer's process id of a temporary's name; 0 when it is not one.
pid_t TemporaryOwner(std::string_view name) {
    constexpr size_t prefix = sizeof kTempPrefix - 1, suffix = sizeof kTempSuffix - 1;
    if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix) ||
        name.size() < prefix + 2 + 8 + suffix) {
        return 0;
    }
    const std::string_view middle = name.substr(prefix, name.size() - prefix - suffix);
    const size_t dash = middle.find('-');
    if (dash == 0 || dash == std::string_view::npos || middle.size() - dash - 1 != 8) {
        return 0;
    }
    pid_t pid = 0;
    for (char c : middle.substr(0, dash)) {
        if (c < '0' || c > '9' || pid > 100000000) {
            return 0;
        }
        pid = pid * 10 + (c - '0');
    }
    for (char c : middle.substr(dash + 1)) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
            return 0;
        }
    }
    return pid;
}

TFileIdentity IdentityOf(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

FileChangedError ChangedError(const std::string& path) {
    return FileChangedError("Cannot write " + path +
                            ": the file was changed while it was being processed.");
}

// Whether the file by that name in the folder is the one expected, or no
// file is expected.
bool StillExpected(int dirFd, const std::string& name,
                   const std::optional<TFileIdentity>& expected) {
    struct stat now {};
    return !expected ||
           (::fstatat(dirFd, name.c_str(), &now, 0) == 0 && IdentityOf(now) == *expected);
}

// Gives the unnamed temporary a name in the folder, so it can be renamed.
bool LinkTemporary(int fd, int dirFd, const std::string& name) {
    if (::linkat(fd, "", dirFd, name.c_str(), AT_EMPTY_PATH) == 0) {
        return true;
    }
    const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, procPath.c_str(), dirFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

}  // namespace

bool WriteAll(int fd, const TOutputStream& content, int& error) {
    std::vector<iovec> vectors;
    vectors.reserve(content.Pieces().size());
    for (const auto& piece : content.Pieces()) {
        vectors.push_back({const_cast<uint8_t*>(piece.data()), piece.size()});
    }
    size_t index = 0;
    while (index < vectors.size()) {
        const int count = int(std::min<size_t>(vectors.size() - index, IOV_MAX));
        const ssize_t written = ::writev(fd, &vectors[index], count);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            return false;
        }
        size_t left = size_t(written);
        while (index < vectors.size() && left >= vectors[index].iov_len) {
            left -= vectors[index].iov_len;
            ++index;
        }
        if (left > 0) {
            vectors[index].iov_base = static_cast<uint8_t*>(vectors[index].iov_base) + left;
            vectors[index].iov_len -= left;
        }
    }
    return true;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsReplaceTemporaryName(const std::string& name) {
    return TemporaryOwner(name) > 0;
}

void RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t owner = TemporaryOwner(entry->d_name);
        struct stat st {};
        // A live writer (ours or another user's) may be about to rename it.
        if (owner > 0 && owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH &&
            ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode)) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

TFileContent ReadWholeFile(const std::string& path) {
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.Valid()) {
        throw FileOpenError("Cannot open " + path + ": " + ErrorText(errno) + ".");
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        throw FileOpenError("Cannot open " + path + ": " + ErrorText(errno) + ".");
    }
    if (!S_ISREG(st.st_mode)) {
        throw FileOpenError("Cannot open " + path + ": not a regular file.");
    }
    TFileContent content;
    content.Identity = IdentityOf(st);
    const size_t size = size_t(st.st_size);
    content.Data = std::make_unique_for_overwrite<uint8_t[]>(std::max<size_t>(size, 1));
    while (content.Size < size) {
        const ssize_t got = ::pread(fd.Get(), content.Data.get() + content.Size,
                                    size - content.Size, off_t(content.Size));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileIoError("Cannot read " + path + ": " + ErrorText(errno) + ".");
        }
        if (got == 0) {
            break;  // the file shrank while it was read
        }
        content.Size += size_t(got);
    }
    return content;
}

std::optional<uint32_t> FileAttributes(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    uint32_t attributes = 0;
    if (S_ISDIR(st.st_mode)) {
        attributes |= faDirectory;
    } else if (!S_ISREG(st.st_mode)) {
        attributes |= faSysFile;
    }
    if (BaseName(path).starts_with('.')) {
        attributes |= faHidden;
    }
    if (::access(path.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0) {
        attributes |= faReadOnly;
    }
    return attributes;
}

std::optional<TFileIdentity> FileIdentity(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return IdentityOf(st);
}

std::optional<struct timespec> ReadFileTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return st.st_mtim;
}

bool WriteFileTime(const std::string& path, const struct timespec& mtime) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, mtime};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

void ReplaceFileContent(const std::string& path, const TOutputStream& content,
                        const std::optional<struct timespec>& mtime,
                        const std::optional<TFileIdentity>& expected) {
    const std::string target = ResolvedPath(path);
    const std::string folder = DirName(target);
    const std::string name = BaseName(target);

    TFd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd.Valid()) {
        throw FileCreateError("Cannot write " + path + ": " + ErrorText(errno) + ".");
    }
    struct stat original {};
    if (::fstatat(dirFd.Get(), name.c_str(), &original, 0) != 0) {
        throw FileCreateError("Cannot write " + path + ": " + ErrorText(errno) + ".");
    }
    if (expected && IdentityOf(original) != *expected) {
        throw ChangedError(path);
    }

    std::string tempName;
    TFd fd(::openat(dirFd.Get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!fd.Valid() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // The file system keeps no unnamed files: fall back to a hidden name.
        for (int attempt = 0; attempt < 16 && !fd.Valid(); ++attempt) {
            tempName = RandomTempName();
            fd.Reset(::openat(dirFd.Get(), tempName.c_str(),
                              O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600));
            if (!fd.Valid() && errno != EEXIST) {
                break;
            }
        }
    }
    if (!fd.Valid()) {
        throw FileCreateError("Cannot write " + path + ": " + ErrorText(errno) + ".");
    }

    auto fail = [&](int error) {
        if (!tempName.empty()) {
            ::unlinkat(dirFd.Get(), tempName.c_str(), 0);
        }
        throw FileIoError("Cannot write " + path + ": " + ErrorText(error) + ".");
    };

    int error = 0;
    if (!WriteAll(fd.Get(), content, error)) {
        fail(error);
    }
    if (::fchmod(fd.Get(), original.st_mode & 07777) != 0) {
        fail(errno);
    }
    // Only a privileged process may give the file away; others keep their own.
    if (::fchown(fd.Get(), original.st_uid, original.st_gid) != 0 && errno != EPERM) {
        fail(errno);
    }
    if (mtime) {
        const struct timespec times[2] = {original.st_atim, *mtime};
        if (::futimens(fd.Get(), times) != 0) {
            fail(errno);
        }
    }
    if (::fsync(fd.Get()) != 0) {
        fail(errno);
    }
    if (tempName.empty()) {
        tempName = RandomTempName();
        if (!LinkTemporary(fd.Get(), dirFd.Get(), tempName)) {
            const int linkError = errno;
            tempName.clear();
            fail(linkError);
        }
    }
    // Whatever reached the file while the new content was made would be lost.
    if (!StillExpected(dirFd.Get(), name, expected)) {
        ::unlinkat(dirFd.Get(), tempName.c_str(), 0);
        throw ChangedError(path);
    }
    if (::renameat(dirFd.Get(), tempName.c_str(), dirFd.Get(), name.c_str()) != 0) {
        fail(errno);
    }
    ::fsync(dirFd.Get());
}

}  // namespace murk
