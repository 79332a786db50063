#pragma once

#include <string>
#include <vector>

namespace murk::cli {

// One line of a run: a picture to work on, or a path that gets a line
// without being worked on.
struct TPathEntry {
    enum class TKind {
        Picture,
        // Not worked on, and not a failure: not a picture, a folder not entered.
        Skipped,
        // Cannot be read or listed; the run's status becomes 1.
        Failed,
    };
    TKind Kind = TKind::Picture;
    std::string Path;
    std::string Reason;
};

// The entries for one path given on the command line: a picture name is a
// picture (whether it can be read is found out when it is worked on), a
// folder stands for its pictures in the order a thread run takes them
// (case-insensitive) and, when recursive, for those of its sub-folders that
// a run enters, with a line for each folder it does not enter.
std::vector<TPathEntry> ExpandPath(const std::string& path, bool recursive);

}  // namespace murk::cli
