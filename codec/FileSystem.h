#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace murk {

class TOutputStream;

// Any failure of the file layer; the message is a sentence for the user.
class FileError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The file cannot be opened for reading (missing, a folder, not a regular file).
class FileOpenError : public FileError {
    using FileError::FileError;
};

// The new content cannot be created beside the file (for example the folder
// is not writable). Nothing has changed on disk.
class FileCreateError : public FileError {
    using FileError::FileError;
};

// Reading or writing failed part way (disk full, I/O error). The original
// file is as it was.
class FileIoError : public FileError {
    using FileError::FileError;
};

// The file is no longer the one that was read (it grew, was rewritten,
// replaced or removed), so the new content was not put in its place.
// Nothing has changed on disk.
class FileChangedError : public FileError {
    using FileError::FileError;
};

// Which file was read, and its size and modification time then: enough to
// tell that it has been written, replaced or removed since.
struct TFileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    struct timespec Mtime {};

    friend bool operator==(const TFileIdentity& a, const TFileIdentity& b) {
        return a.Device == b.Device && a.Inode == b.Inode && a.Size == b.Size &&
               a.Mtime.tv_sec == b.Mtime.tv_sec && a.Mtime.tv_nsec == b.Mtime.tv_nsec;
    }
};

struct TFileContent {
    std::unique_ptr<uint8_t[]> Data;
    size_t Size = 0;
    // As found when the file was opened; Size is less when it shrank while
    // it was read.
    TFileIdentity Identity;
};

// Attribute bits in the layout the file list and the codecs test.
enum : uint32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
};

TFileContent ReadWholeFile(const std::string& path);

// Writes every piece of content at fd's position; false with the system's
// error number in error when that fails.
bool WriteAll(int fd, const TOutputStream& content, int& error);

// Follows symbolic links. Read-only: the process may not write the file, or
// the file carries no write permission bit at all (so it stays protected
// for root too). Hidden: the name begins with a dot. System: neither a
// regular file nor a folder. Empty when the file cannot be examined.
std::optional<uint32_t> FileAttributes(const std::string& path);

// Follows symbolic links; empty when the file cannot be examined.
std::optional<TFileIdentity> FileIdentity(const std::string& path);

std::optional<struct timespec> ReadFileTime(const std::string& path);
bool WriteFileTime(const std::string& path, const struct timespec& mtime);

// Replaces the whole content of path (the target of a symbolic link) with
// content: a temporary file in the same folder is written, flushed, given the
// original's permission bits, owner and modification time (when mtime is
// set), and renamed over the original. Throws FileCreateError when the
// temporary cannot be created, FileChangedError when an expected identity is
// given and the file no longer has it (looked at before the temporary is
// written and again just before the rename), and FileIoError for any other
// failure; the original is never partly overwritten.
void ReplaceFileContent(const std::string& path, const TOutputStream& content,
                        const std::optional<struct timespec>& mtime,
                        const std::optional<TFileIdentity>& expected = std::nullopt);

// Whether a name is one of the temporaries that ReplaceFileContent names when
// the file system cannot keep an unnamed one, or for the moment before the
// rename.
bool IsReplaceTemporaryName(const std::string& name);

// Removes such temporaries that a killed process left in folder. Each name
// carries its writer's process id; only those whose writer is gone are
// taken, so a save running in another process is never disturbed.
void RemoveStaleTemporaries(const std::string& folder);

std::string BaseName(const std::string& path);
std::string DirName(const std::string& path);

}  // namespace murk
