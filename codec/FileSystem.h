#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace murk {

class TFileHold;
class TOutputStream;

// Any failure of the file layer. The message is a sentence for the user,
// "Cannot ACTION PATH: REASON."; its parts stay readable on their own.
class FileError : public std::runtime_error {
public:
    FileError(std::string action, const std::string& path, std::string reason)
        : std::runtime_error("Cannot " + action + " " + path + ": " + reason + "."),
          FAction(std::move(action)),
          FReason(std::move(reason)) {}
    // "open", "read" or "write".
    const std::string& Action() const { return FAction; }
    // The system's words, or what the file layer found, without the path.
    const std::string& Reason() const { return FReason; }

private:
    std::string FAction;
    std::string FReason;
};

// The file is larger than this process can hold in memory. Nothing has
// changed on disk.
class FileTooLargeError : public FileError {
    using FileError::FileError;
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

// Another program has the file open for writing, or opened it while the new
// content was made, so that program's data would be lost with the old file.
// Nothing has changed on disk.
class FileBeingWrittenError : public FileError {
    using FileError::FileError;
};

// The file has other hard links, which would keep the old content. Nothing
// has changed on disk.
class FileLinkedError : public FileError {
public:
    FileLinkedError(std::string action, const std::string& path, std::string reason,
                    uint64_t otherNames)
        : FileError(std::move(action), path, std::move(reason)), FOtherNames(otherNames) {}
    uint64_t OtherNames() const { return FOtherNames; }

private:
    uint64_t FOtherNames;
};

// Which file was read, and its size, modification and change time then:
// enough to tell that it has been written, replaced or removed since. The
// change time cannot be set back by a writer, as the modification time can.
struct TFileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    struct timespec Mtime {};
    struct timespec Ctime {};

    friend bool operator==(const TFileIdentity& a, const TFileIdentity& b) {
        return a.Device == b.Device && a.Inode == b.Inode && a.Size == b.Size &&
               a.Mtime.tv_sec == b.Mtime.tv_sec && a.Mtime.tv_nsec == b.Mtime.tv_nsec &&
               a.Ctime.tv_sec == b.Ctime.tv_sec && a.Ctime.tv_nsec == b.Ctime.tv_nsec;
    }
};

struct TFileContent {
    std::unique_ptr<uint8_t[]> Data;
    size_t Size = 0;
    // As found when the file was opened; Size is less when it shrank while
    // it was read.
    TFileIdentity Identity;
    // The file's hard links when it was opened.
    uint64_t Links = 1;
    // Set by HoldAndReadFile; kept until the new content has replaced the file.
    std::unique_ptr<TFileHold> Hold;
};

// What a replace could not carry over to the new content (an extended
// attribute the file system or the process may not set, an owner the
// process may not give); the new content is in place all the same.
struct TReplaceReport {
    std::vector<std::string> NotKept;
};

// Attribute bits in the layout the file list and the codecs test.
enum : uint32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
};

// keepAccessTime: read without moving the file's access time where the
// system allows it, for a check that must leave every time stamp alone.
TFileContent ReadWholeFile(const std::string& path, bool keepAccessTime = false);
// Takes the file with a TFileHold, then reads it through that hold. Throws
// FileTooLargeError when it cannot be held in memory.
TFileContent HoldAndReadFile(const std::string& path);

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
// content: a temporary file in the same folder is written, given the
// original's owner where the process may, then its permission bits (set-id
// bits included, which a change of owner would clear), its extended
// attributes (every namespace the process may write, ACLs included) and the
// modification time (when mtime is set), flushed, and put in the original's
// place by an atomic exchange of the two names (a rename where the file
// system has no exchange). Throws FileCreateError when the temporary cannot
// be created, FileChangedError when an expected identity is given and the
// file no longer has it, FileLinkedError for a file with other hard links,
// FileBeingWrittenError when the hold's lease was broken (each looked at
// before the temporary is written and again right before the exchange; the
// lease once more right after it, and then the exchange is undone), and
// FileIoError for any other failure; the original is never partly
// overwritten. What could not be carried over is reported, not thrown.
TReplaceReport ReplaceFileContent(const std::string& path, const TOutputStream& content,
                                  const std::optional<struct timespec>& mtime,
                                  const std::optional<TFileIdentity>& expected = std::nullopt,
                                  TFileHold* hold = nullptr);

// Puts content at path, which must not exist, as ReplaceFileContent makes
// it, with the owner, permission bits and extended attributes of the file
// at like. False, with nothing written, when the name is taken by then.
bool CreateFileContent(const std::string& path, const TOutputStream& content,
                       const std::string& like, const std::optional<struct timespec>& mtime,
                       TReplaceReport& report);

// Whether a name is one of the temporaries that ReplaceFileContent names when
// the file system cannot keep an unnamed one, or for the moment before the
// rename.
bool IsReplaceTemporaryName(const std::string& name);

// A fresh name of that kind, for a scratch file of this process: a later
// run removes it once this process is gone.
std::string NewScratchName();

// Removes such temporaries that a killed process left in folder. Each name
// carries its writer's process id; only those whose writer is gone are
// taken, so a save running in another process is never disturbed.
void RemoveStaleTemporaries(const std::string& folder);

std::string BaseName(const std::string& path);
std::string DirName(const std::string& path);

}  // namespace murk
