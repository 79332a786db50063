#include "FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/uio.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "FileHold.h"
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
        throw FileCreateError("write", path, ErrorText(errno));
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
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

FileChangedError ChangedError(const std::string& path) {
    return FileChangedError("write", path, "the file was changed while it was being processed");
}

// Gives the unnamed temporary open at fd a name in the folder; false, with
// errno EEXIST when the name is taken.
bool LinkTemporary(int fd, int dirFd, const std::string& name) {
    if (::linkat(fd, "", dirFd, name.c_str(), AT_EMPTY_PATH) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return false;
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

std::string NewScratchName() {
    return RandomTempName();
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

namespace {

// Reads the whole regular file open at fd, whose status is st.
TFileContent ReadOpenFile(int fd, const struct stat& st, const std::string& path) {
    TFileContent content;
    content.Identity = IdentityOf(st);
    content.Links = st.st_nlink;
    const size_t size = size_t(st.st_size);
    content.Data.reset(new (std::nothrow) uint8_t[std::max<size_t>(size, 1)]);
    if (!content.Data) {
        throw FileTooLargeError("read", path, "the file is too large to hold in memory");
    }
    while (content.Size < size) {
        const ssize_t got = ::pread(fd, content.Data.get() + content.Size, size - content.Size,
                                    off_t(content.Size));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileIoError("read", path, ErrorText(errno));
        }
        if (got == 0) {
            break;  // the file shrank while it was read
        }
        content.Size += size_t(got);
    }
    return content;
}

}  // namespace

TFileContent ReadWholeFile(const std::string& path, bool keepAccessTime) {
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    TFd fd(keepAccessTime ? ::open(path.c_str(), kFlags | O_NOATIME) : -1);
    // O_NOATIME is only for the file's owner.
    if (!fd.Valid()) {
        fd.Reset(::open(path.c_str(), kFlags));
    }
    if (!fd.Valid()) {
        throw FileOpenError("open", path, ErrorText(errno));
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        throw FileOpenError("open", path, ErrorText(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        throw FileOpenError("open", path, "not a regular file");
    }
    return ReadOpenFile(fd.Get(), st, path);
}

TFileContent HoldAndReadFile(const std::string& path) {
    auto hold = std::make_unique<TFileHold>(path);
    if (hold->Fd() < 0) {
        // Another run replaced the file again and again; it is in use.
        TFileContent content;
        content.Hold = std::move(hold);
        return content;
    }
    // The hold has checked that it is a regular file.
    TFileContent content = ReadOpenFile(hold->Fd(), hold->Status(), path);
    content.Hold = std::move(hold);
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

namespace {

// Copies every extended attribute of the file at fromPath that the process
// may set on the file open at to; names it may not set are reported.
void CopyExtendedAttributes(const std::string& fromPath, int to, TReplaceReport& report) {
    ssize_t size = ::listxattr(fromPath.c_str(), nullptr, 0);
    if (size <= 0) {
        return;
    }
    std::vector<char> names(size_t(size) + 1);
    size = ::listxattr(fromPath.c_str(), names.data(), names.size());
    if (size <= 0) {
        return;
    }
    std::vector<char> value;
    for (const char* name = names.data(); name < names.data() + size;
         name += std::strlen(name) + 1) {
        ssize_t length = ::getxattr(fromPath.c_str(), name, nullptr, 0);
        if (length >= 0) {
            value.resize(size_t(length) + 1);
            length = ::getxattr(fromPath.c_str(), name, value.data(), value.size());
        }
        if (length < 0 || ::fsetxattr(to, name, value.data(), size_t(length), 0) != 0) {
            report.NotKept.push_back(std::string("the extended attribute ") + name + " (" +
                                     ErrorText(errno) + ")");
        }
    }
}

// The temporary file that becomes the new content, with everything of the
// original it can carry; unnamed where the file system allows it.
class TTemporary {
public:
    TTemporary(int dirFd, const std::string& path) : FDirFd(dirFd), FPath(path) {
        FFd.Reset(::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        if (!FFd.Valid() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
            // The file system keeps no unnamed files: fall back to a hidden name.
            for (int attempt = 0; attempt < 16 && !FFd.Valid(); ++attempt) {
                FName = RandomTempName();
                FFd.Reset(
                    ::openat(dirFd, FName.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600));
                if (!FFd.Valid() && errno != EEXIST) {
                    break;
                }
            }
        }
        if (!FFd.Valid()) {
            FName.clear();
            throw FileCreateError("write", path, ErrorText(errno));
        }
    }
    ~TTemporary() { Remove(); }
    TTemporary(const TTemporary&) = delete;
    TTemporary& operator=(const TTemporary&) = delete;

    int Fd() const { return FFd.Get(); }
    const std::string& Name() const { return FName; }

    [[noreturn]] void Fail(int error) {
        Remove();
        throw FileIoError("write", FPath, ErrorText(error));
    }

    // Writes content and gives it the original's owner, mode, extended
    // attributes and modification time, then forces it to disk.
    void Fill(const TOutputStream& content, const std::string& originalPath,
              const struct stat& original, const std::optional<struct timespec>& mtime,
              TReplaceReport& report) {
        int error = 0;
        if (!WriteAll(Fd(), content, error)) {
            Fail(error);
        }
        // The owner first: a change of owner clears the set-id bits.
        bool ownerKept = ::fchown(Fd(), original.st_uid, original.st_gid) == 0;
        if (!ownerKept) {
            if (errno != EPERM) {
                Fail(errno);
            }
            // A member of the file's group keeps at least the group.
            const bool groupKept = ::fchown(Fd(), uid_t(-1), original.st_gid) == 0;
            struct stat own {};
            ::fstat(Fd(), &own);
            ownerKept =
                own.st_uid == original.st_uid && (groupKept || own.st_gid == original.st_gid);
        }
        mode_t mode = original.st_mode & 07777;
        if (!ownerKept && (mode & (S_ISUID | S_ISGID)) != 0) {
            // Set-id bits on a file of another owner would run it as that owner.
            mode &= ~mode_t(S_ISUID | S_ISGID);
            report.NotKept.push_back("the owner and the set-user/group-id bits");
        } else if (!ownerKept) {
            report.NotKept.push_back("the owner");
        }
        if (::fchmod(Fd(), mode) != 0) {
            Fail(errno);
        }
        CopyExtendedAttributes(originalPath, Fd(), report);
        if (mtime) {
            const struct timespec times[2] = {original.st_atim, *mtime};
            if (::futimens(Fd(), times) != 0) {
                Fail(errno);
            }
        }
        if (::fsync(Fd()) != 0) {
            Fail(errno);
        }
    }

    // Gives an unnamed temporary a hidden name, so it can be renamed.
    void GiveName() {
        if (!FName.empty()) {
            return;
        }
        FName = RandomTempName();
        if (!LinkTemporary(Fd(), FDirFd, FName)) {
            const int error = errno;
            FName.clear();
            Fail(error);
        }
    }

    // Links an unnamed temporary straight to name; false when it is taken.
    bool LinkAs(const std::string& name) {
        if (FName.empty()) {
            if (LinkTemporary(Fd(), FDirFd, name)) {
                return true;
            }
        } else if (::linkat(FDirFd, FName.c_str(), FDirFd, name.c_str(), 0) == 0) {
            Remove();
            return true;
        }
        if (errno == EEXIST) {
            return false;
        }
        Fail(errno);
    }

    // The name now belongs to the file that took the original's place.
    void Release() { FName.clear(); }

    // Once named: a run that opens the new file the moment it takes the
    // original's name must not find it open for writing.
    void CloseFile() { FFd.Reset(-1); }

    void Remove() {
        if (!FName.empty()) {
            ::unlinkat(FDirFd, FName.c_str(), 0);
            FName.clear();
        }
    }

private:
    int FDirFd;
    std::string FPath;
    TFd FFd;
    std::string FName;
};

// Why the file may not be replaced now; when it may, what it is now.
struct stat CheckReplaceable(int dirFd, const std::string& name, const std::string& path,
                             const std::optional<TFileIdentity>& expected, const TFileHold* hold) {
    struct stat now {};
    if (::fstatat(dirFd, name.c_str(), &now, 0) != 0) {
        if (expected) {
            throw ChangedError(path);
        }
        throw FileCreateError("write", path, ErrorText(errno));
    }
    if (expected && IdentityOf(now) != *expected) {
        throw ChangedError(path);
    }
    if (hold && !hold->Undisturbed()) {
        throw FileBeingWrittenError("write", path, "another program opened the file for writing");
    }
    if (now.st_nlink > 1) {
        throw FileLinkedError("write", path, "the file has other names",
                              uint64_t(now.st_nlink - 1));
    }
    return now;
}

}  // namespace

TReplaceReport ReplaceFileContent(const std::string& path, const TOutputStream& content,
                                  const std::optional<struct timespec>& mtime,
                                  const std::optional<TFileIdentity>& expected, TFileHold* hold) {
    const std::string target = ResolvedPath(path);
    const std::string folder = DirName(target);
    const std::string name = BaseName(target);

    TFd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd.Valid()) {
        throw FileCreateError("write", path, ErrorText(errno));
    }
    const struct stat original = CheckReplaceable(dirFd.Get(), name, path, expected, hold);

    TReplaceReport report;
    TTemporary temporary(dirFd.Get(), path);
    temporary.Fill(content, target, original, mtime, report);
    temporary.GiveName();
    temporary.CloseFile();
    // Whatever reached the file while the new content was made would be lost.
    CheckReplaceable(dirFd.Get(), name, path, expected, hold);
    if (::renameat2(dirFd.Get(), temporary.Name().c_str(), dirFd.Get(), name.c_str(),
                    RENAME_EXCHANGE) == 0) {
        // A writer that opened the file just before the exchange broke the
        // lease: the old file takes its name back, with the writer's data.
        if (hold && !hold->Undisturbed()) {
            ::renameat2(dirFd.Get(), temporary.Name().c_str(), dirFd.Get(), name.c_str(),
                        RENAME_EXCHANGE);
            throw FileBeingWrittenError("write", path,
                                        "another program opened the file for writing");
        }
        // The temporary's name holds the old content now, removed below.
    } else if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
        if (::renameat(dirFd.Get(), temporary.Name().c_str(), dirFd.Get(), name.c_str()) != 0) {
            temporary.Fail(errno);
        }
        temporary.Release();
    } else {
        temporary.Fail(errno);
    }
    if (hold) {
        hold->Release();
    }
    temporary.Remove();
    ::fsync(dirFd.Get());
    return report;
}

bool CreateFileContent(const std::string& path, const TOutputStream& content,
                       const std::string& like, const std::optional<struct timespec>& mtime,
                       TReplaceReport& report) {
    const std::string folder = DirName(path);
    const std::string name = BaseName(path);
    TFd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd.Valid()) {
        throw FileCreateError("write", path, ErrorText(errno));
    }
    struct stat original {};
    if (::stat(like.c_str(), &original) != 0) {
        throw FileCreateError("write", path, ErrorText(errno));
    }
    if (struct stat taken{};
        ::fstatat(dirFd.Get(), name.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) {
        return false;
    }
    TTemporary temporary(dirFd.Get(), path);
    temporary.Fill(content, like, original, mtime, report);
    if (!temporary.LinkAs(name)) {
        return false;
    }
    temporary.CloseFile();
    ::fsync(dirFd.Get());
    return true;
}

}  // namespace murk
