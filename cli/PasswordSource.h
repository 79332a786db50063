#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace murk::cli {

// The password could not be had, or cannot be used; the message says why.
class PasswordError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads the password once, when it is first needed, from a file's first
// line, from all of standard input, or from a prompt without echo on a
// terminal, and hands it on as CP932 bytes.
class TPasswordSource {
public:
    TPasswordSource(std::string passwordFile, bool fromStdin);

    // Throws PasswordError.
    const std::string& Get();

private:
    std::string ReadUtf8();

    std::string FPasswordFile;
    bool FFromStdin;
    std::optional<std::string> FBytes;
};

}  // namespace murk::cli
