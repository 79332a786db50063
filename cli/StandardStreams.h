#pragma once

namespace murk::cli {

// Puts /dev/null on each of the standard streams that the program was
// started without, so that no file the program opens takes number 0, 1 or
// 2 (a picture receiving the report, a folder read as the password), and
// notes which were missing.
void GuardStandardStreams();

// Whether standard input (0), output (1) or error (2) was closed at start.
bool WasClosedAtStart(int fd);

}  // namespace murk::cli
