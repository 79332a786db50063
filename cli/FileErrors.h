#pragma once

#include <string>

#include "FileSystem.h"

namespace murk::cli {

// The system's words for why a file cannot be opened for reading.
std::string OpenError(const std::string& path);

// The file layer's failure without the path, which the line already shows:
// "Permission denied" for an open, "cannot write: No space left on device"
// for the rest.
std::string FileErrorReason(const FileError& error);

}  // namespace murk::cli
