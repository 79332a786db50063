#pragma once

#include <optional>
#include <string>
#include <vector>

namespace murk::cli {

enum class TVerb { Check, Shield, Restore };
enum class TFormat { Normal, Extra, Ultra, Jpz };

struct TOptions {
    TVerb Verb = TVerb::Check;
    TFormat Format = TFormat::Normal;
    int Mode = 1;
    std::string PasswordFile;
    bool PasswordStdin = false;
    bool Recursive = false;
    std::vector<std::string> Paths;
};

struct TParseResult {
    std::optional<TOptions> Options;
    // Why the command line was not understood; empty when Options is set.
    std::string Error;
    bool HelpRequested = false;
};

TParseResult ParseOptions(const std::vector<std::string>& args);
const char* UsageText();

}  // namespace murk::cli
