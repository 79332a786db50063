#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace murk {

// The extension settings that decide which names are pictures.
struct TImageFilter {
    bool RenameExt = false;
    // The new extension without its dot, compared exactly as stored.
    std::string NewExt;
};

// Ext has its dot and is already in lower case.
bool IsImageFile(std::string_view Ext, const TImageFilter& filter);

// Whether path names an existing folder (a symbolic link to one counts).
bool IsFolder(const std::string& path);

// What a run does with a sub-folder it meets: only a plain folder is
// entered; a symbolic link, a hidden folder and a read-only one are not.
enum class TFolderEntry {
    Entered,
    SymbolicLink,
    Hidden,
    ReadOnly,
    // It could not be examined.
    Unexamined,
};

// Path is a folder (a symbolic link to one counts); the rule is tested in
// the order of the values above.
TFolderEntry FolderEntry(const std::string& path);

// Appends the full paths of the picture files of Folder to List, in the
// order the file system gives them. With Recurse, a sub-folder is entered
// only when it is a plain folder (writable, not hidden, not a symbolic
// link); any other folder entry is tested like a file name.
void ScanFolder(const std::string& Folder, std::vector<std::string>& List, bool Recurse,
                const TImageFilter& filter);

// Case-insensitive order of the whole path; paths that differ only in case
// keep a fixed order among themselves.
void SortPaths(std::vector<std::string>& paths);

// The indexes of paths in the order SortPaths gives them, for sorting
// something else by its paths.
std::vector<size_t> PathOrder(const std::vector<std::string>& paths);

}  // namespace murk
