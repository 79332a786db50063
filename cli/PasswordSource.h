#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "Options.h"

namespace murk::cli {

// The password could not be had, or breaks a rule; the message says why
// and nothing has been touched.
class PasswordError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A stop signal came while the password was being typed; the terminal is
// as it was.
struct TInterrupted {
    int Signal = 0;
};

// Reads the password once, from a file's first line, from all of standard
// input, or from a prompt without echo on a terminal (asked twice when the
// password is new, for a shield), checks the rules that hold for every
// format, and hands it on as CP932 bytes.
class TPasswordSource {
public:
    TPasswordSource(std::string passwordFile, bool fromStdin, bool confirm);

    // Whether a password can be had at all: a source was named or standard
    // input is a terminal.
    bool Available() const;
    // Whether a password file or standard input was named as the source.
    bool Named() const { return !FPasswordFile.empty() || FFromStdin; }
    // Throws PasswordError and TInterrupted.
    const std::string& Get();

private:
    std::string ReadUtf8();

    std::string FPasswordFile;
    bool FFromStdin;
    bool FConfirm;
    std::optional<std::string> FBytes;
};

// The length rules of the format a shield writes, in bytes; empty when the
// password keeps them.
std::optional<std::string> ShieldPasswordRule(TFormat format, const std::string& cp932);

}  // namespace murk::cli
