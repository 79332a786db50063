#pragma once

#include <string>

namespace murk::cli {

// Shows prompt on standard error and reads one line from the terminal on
// standard input without echo. The terminal's settings are put back however
// the read ends; a stop signal during it throws TInterrupted, and an end of
// input before a line throws PasswordError.
std::string PromptWithoutEcho(const std::string& prompt);

}  // namespace murk::cli
