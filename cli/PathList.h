#pragma once

#include <string>
#include <vector>

namespace murk::cli {

// The files a command works on: each path given, with a folder replaced by
// its pictures in the order a thread run takes them (case-insensitive),
// including those of its sub-folders when recursive.
std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths, bool recursive);

}  // namespace murk::cli
