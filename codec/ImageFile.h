#pragma once

#include <string>
#include <string_view>

namespace murk {

// The extension of a path's name with its dot ("" when the name has none),
// in ASCII lower case.
std::string LowerExtension(std::string_view path);

// Whether an extension (with its dot, lower case) names a picture: ".jpg",
// ".jpeg", and "." + newExt while the new-extension option is on.
bool IsImageExtension(std::string_view ext, bool renameExt, std::string_view newExt);

}  // namespace murk
