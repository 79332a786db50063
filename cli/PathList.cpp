#include "PathList.h"

#include "FolderScan.h"

namespace murk::cli {

std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths, bool recursive) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        if (!IsFolder(path)) {
            files.push_back(path);
            continue;
        }
        std::vector<std::string> found;
        ScanFolder(path, found, recursive, TImageFilter{});
        SortPaths(found);
        files.insert(files.end(), std::make_move_iterator(found.begin()),
                     std::make_move_iterator(found.end()));
    }
    return files;
}

}  // namespace murk::cli
