#pragma once

#include <string>
#include <vector>

namespace murk::cli {

enum class TVerb { Check, Shield, Restore, Verify };
enum class TFormat { Normal, Extra, Ultra, Jpz };

struct TOptions {
    TVerb Verb = TVerb::Check;
    TFormat Format = TFormat::Normal;
    int Mode = 1;
    std::string PasswordFile;
    bool PasswordStdin = false;
    bool Recursive = false;
    bool Json = false;
    // Restore without the check that the restored head is a sound JPEG head.
    bool NoVerify = false;
    std::vector<std::string> Paths;
};

}  // namespace murk::cli
