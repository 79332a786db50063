#pragma once

#include <string>

#include "FileSystem.h"

namespace murk::cli {

// The system's words for why a file cannot be opened for reading.
std::string OpenError(const std::string& path);

// The file layer's sentence without the path, which the line already
// shows: "Cannot open P: Permission denied." gives "Permission denied",
// "Cannot write P: No space left on device." gives "cannot write: No space
// left on device".
std::string FileErrorReason(const FileError& error, const std::string& path);

}  // namespace murk::cli
