#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace murk {

// What stands in the way of working on a file, found when it is taken.
enum class THoldProblem {
    None,
    // Another Murkwell process (a window or murkwell-cli) holds it.
    InUse,
    // Another program has it open for writing.
    BeingWritten,
};

// A picture taken for processing: open for reading, with an exclusive
// flock that every Murkwell process takes on the file it works on, and a
// read lease, which the system grants only while no program has the file
// open for writing and breaks as soon as one opens it. A break is answered
// at once (the lease is given up, so the writer never waits), and
// Undisturbed() reports it until the hold goes.
//
// Where no lease can be had (a file of another owner without CAP_LEASE, a
// network file system) the hold has none, Leased() is false, and callers
// rely on the file's identity (device, inode, size, modification and change
// time) compared right before the new content takes its place. Where flock
// is refused (some network file systems) there is no lock either.
class TFileHold {
public:
    // Throws FileOpenError when the file cannot be opened or is not a
    // regular file.
    explicit TFileHold(const std::string& path);
    ~TFileHold();
    TFileHold(const TFileHold&) = delete;
    TFileHold& operator=(const TFileHold&) = delete;

    int Fd() const { return FFd; }
    // The held file's status when it was taken.
    const struct stat& Status() const { return FStatus; }
    THoldProblem Problem() const { return FProblem; }
    bool Locked() const { return FLocked; }
    bool Leased() const { return FLeased; }
    // False once another program has opened the file for writing since
    // the hold was taken; always true without a lease.
    bool Undisturbed() const;
    // Gives up the lease and the lock once the file has been replaced; an
    // old file no longer held is freed at once, not kept as an orphan.
    void Release();

private:
    int FFd = -1;
    struct stat FStatus {};
    THoldProblem FProblem = THoldProblem::None;
    bool FLocked = false;
    bool FLeased = false;
};

}  // namespace murk
