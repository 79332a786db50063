#include "FolderScan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <QString>
#include <algorithm>
#include <numeric>

#include "DirHandle.h"
#include "FileSystem.h"
#include "ImageFile.h"

namespace murk {

namespace {

// A sub-folder that a run enters. The listing's type already tells a
// folder, except on file systems that leave it unknown.
bool IsPlainFolder(const std::string& path, unsigned char type) {
    return (type == DT_DIR || (type == DT_UNKNOWN && IsFolder(path))) &&
           FolderEntry(path) == TFolderEntry::Entered;
}

}  // namespace

bool IsImageFile(std::string_view Ext, const TImageFilter& filter) {
    return IsImageExtension(Ext, filter.RenameExt, filter.NewExt);
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TFolderEntry FolderEntry(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        return TFolderEntry::SymbolicLink;
    }
    if (BaseName(path).starts_with('.')) {
        return TFolderEntry::Hidden;
    }
    const auto attributes = FileAttributes(path);
    if (!attributes) {
        return TFolderEntry::Unexamined;
    }
    return (*attributes & faReadOnly) != 0 ? TFolderEntry::ReadOnly : TFolderEntry::Entered;
}

void ScanFolder(const std::string& Folder, std::vector<std::string>& List, bool Recurse,
                const TImageFilter& filter) {
    std::string base = Folder;
    if (!base.empty() && base.back() == '/') {
        base.pop_back();
    }
    TDirHandle dir(base.empty() ? std::string("/") : base);
    if (dir.Get() == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(dir.Get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        std::string path = base + "/" + std::string(name);
        if (Recurse && IsPlainFolder(path, entry->d_type)) {
            ScanFolder(path, List, true, filter);
        } else if (IsImageFile(LowerExtension(name), filter)) {
            List.push_back(std::move(path));
        }
    }
}

std::vector<size_t> PathOrder(const std::vector<std::string>& paths) {
    std::vector<QString> keys;
    keys.reserve(paths.size());
    for (const auto& path : paths) {
        keys.push_back(QFile::decodeName(QByteArray::fromStdString(path)).toCaseFolded());
    }
    std::vector<size_t> order(paths.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : paths[a] < paths[b];
    });
    return order;
}

void SortPaths(std::vector<std::string>& paths) {
    std::vector<std::string> sorted;
    sorted.reserve(paths.size());
    for (size_t index : PathOrder(paths)) {
        sorted.push_back(std::move(paths[index]));
    }
    paths = std::move(sorted);
}

}  // namespace murk
