#include "PathList.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <unordered_map>

#include "FileSystem.h"
#include "FolderScan.h"
#include "PictureStates.h"

namespace murk::cli {

namespace {

using TKind = TPathEntry::TKind;

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

// The line of a folder that a run does not enter, by the same rule as the
// folder scan of a run (an unreadable one is a failure); none when it is
// entered.
std::optional<TPathEntry> NotEntered(const std::string& path, const std::string& name) {
    const std::string shown = path + "/";
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        return TPathEntry{TKind::Skipped, shown, "symbolic link"};
    }
    if (name.starts_with(".")) {
        return TPathEntry{TKind::Skipped, shown, "hidden folder"};
    }
    if (::access(path.c_str(), R_OK | X_OK) != 0) {
        return TPathEntry{TKind::Failed, shown, std::strerror(errno)};
    }
    const auto attributes = FileAttributes(path);
    if (attributes && (*attributes & faReadOnly) != 0) {
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
            if (auto line = NotEntered(path, name)) {
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

std::string ExamineError(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::strerror(errno);
    }
    return {};
}

std::vector<TPathEntry> ExpandPath(const std::string& path, bool recursive) {
    if (const std::string error = ExamineError(path); !error.empty()) {
        return {{TKind::Failed, path, error}};
    }
    if (!IsFolder(path)) {
        if (IsPictureName(path)) {
            return {{TKind::Picture, path, {}}};
        }
        return {{TKind::Skipped, path, "not a JPEG picture"}};
    }
    std::vector<TPathEntry> entries;
    Walk(path, recursive, entries);
    std::vector<std::string> order;
    order.reserve(entries.size());
    std::unordered_map<std::string, size_t> index;
    for (size_t i = 0; i < entries.size(); ++i) {
        order.push_back(entries[i].Path);
        index.emplace(entries[i].Path, i);
    }
    SortPaths(order);
    std::vector<TPathEntry> sorted;
    sorted.reserve(entries.size());
    for (const std::string& key : order) {
        sorted.push_back(std::move(entries[index.at(key)]));
    }
    return sorted;
}

}  // namespace murk::cli
