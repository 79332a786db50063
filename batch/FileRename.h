#pragma once

#include <string>
#include <string_view>

namespace murk {

// Path with the extension of its name replaced by newExt (with its dot);
// a name without an extension gets newExt appended.
std::string ChangeFileExt(const std::string& path, std::string_view newExt);

// Renames from to to unless to already exists; never replaces a file.
bool RenameNoReplace(const std::string& from, const std::string& to);

}  // namespace murk
