#include "PathList.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "DirHandle.h"
#include "FolderScan.h"
#include "PictureStates.h"

namespace murk::cli {

namespace {

using TKind = TPathEntry::TKind;

// The line of a folder that a run does not enter, by the same rule as the
// folder scan of a run (an unreadable one is a failure); none when it is
// entered.
std::optional<TPathEntry> NotEntered(const std::string& path) {
    const std::string shown = path + "/";
    const TFolderEntry rule = FolderEntry(path);
    if (rule == TFolderEntry::SymbolicLink) {
        return TPathEntry{TKind::Skipped, shown, "symbolic link"};
    }
    if (rule == TFolderEntry::Hidden) {
        return TPathEntry{TKind::Skipped, shown, "hidden folder"};
    }
    if (::access(path.c_str(), R_OK | X_OK) != 0) {
        return TPathEntry{TKind::Failed, shown, std::strerror(errno)};
    }
    if (rule == TFolderEntry::ReadOnly) {
        return TPathEntry{TKind::Skipped, shown, "read-only folder"};
    }
    return std::nullopt;
}

void Walk(const std::string& folder, bool recursive, std::vector<TPathEntry>& entries) {
    std::string base = folder;
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    TDirHandle dir(base);
    if (dir.Get() == nullptr) {
        entries.push_back({TKind::Failed, base + "/", std::strerror(errno)});
        return;
    }
    const std::string prefix = base == "/" ? base : base + "/";
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.Get());
        if (entry == nullptr) {
            if (errno != 0) {
                entries.push_back({TKind::Failed, prefix, std::strerror(errno)});
            }
            break;
        }
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const std::string path = prefix + name;
        const bool maybeFolder =
            entry->d_type == DT_DIR || entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN;
        if (maybeFolder && IsFolder(path)) {
            if (!recursive) {
                continue;
            }
            if (auto line = NotEntered(path)) {
                entries.push_back(std::move(*line));
            } else {
                Walk(path, true, entries);
            }
        } else if (IsPictureName(name)) {
            entries.push_back({TKind::Picture, path, {}});
        }
    }
}

}  // namespace

std::vector<TPathEntry> ExpandPath(const std::string& path, bool recursive) {
    // One stat tells both whether the path can be examined and whether it
    // is a folder (a symbolic link to one counts).
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {{TKind::Failed, path, std::strerror(errno)}};
    }
    if (!S_ISDIR(st.st_mode)) {
        if (IsPictureName(path)) {
            return {{TKind::Picture, path, {}}};
        }
        return {{TKind::Skipped, path, "not a JPEG picture"}};
    }
    std::vector<TPathEntry> entries;
    Walk(path, recursive, entries);
    std::vector<std::string> paths;
    paths.reserve(entries.size());
    for (const TPathEntry& entry : entries) {
        paths.push_back(entry.Path);
    }
    std::vector<TPathEntry> sorted;
    sorted.reserve(entries.size());
    for (size_t index : PathOrder(paths)) {
        sorted.push_back(std::move(entries[index]));
    }
    return sorted;
}

}  // namespace murk::cli
