#include "Options.h"

#include <charconv>

#include "UltraCodec.h"

namespace murk::cli {

namespace {

struct TFormatInfo {
    const char* Name;
    TFormat Format;
    int MaxMode;
};

constexpr TFormatInfo kFormats[] = {
    {"normal", TFormat::Normal, 10},
    {"extra", TFormat::Extra, 5},
    {"ultra", TFormat::Ultra, kUltraMaxMode},
    // The Jpz library has no modes.
    {"jpz", TFormat::Jpz, 1},
};

const TFormatInfo* FindFormat(const std::string& name) {
    for (const auto& info : kFormats) {
        if (name == info.Name) {
            return &info;
        }
    }
    return nullptr;
}

const TFormatInfo& InfoOf(TFormat format) {
    for (const auto& info : kFormats) {
        if (info.Format == format) {
            return info;
        }
    }
    return kFormats[0];
}

std::optional<int> ParseNumber(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

TParseResult Fail(std::string error) {
    TParseResult result;
    result.Error = std::move(error);
    return result;
}

}  // namespace

const char* UsageText() {
    return "Usage:\n"
           "  murkwell-cli check [-r] PATH...\n"
           "  murkwell-cli shield --format normal|extra|ultra|jpz [--mode N] [-r]\n"
           "               [--password-file FILE | --password-stdin] PATH...\n"
           "  murkwell-cli restore [-r] [--password-file FILE | --password-stdin] PATH...\n"
           "\n"
           "check    prints the state, the size and the path of each picture.\n"
           "shield   protects each picture in place (Normal needs no password, Jpz\n"
           "         one of 8 bytes or more; modes: normal 1-10, extra 1-5,\n"
           "         ultra 1-4, default 1).\n"
           "restore  gives each shielded picture back, by the format found in it.\n"
           "\n"
           "A folder stands for the pictures in it; -r takes its sub-folders too.\n"
           "The password is the first line of --password-file, or all of standard\n"
           "input with --password-stdin; on a terminal it is asked for without echo.\n"
           "Exit status: 0 all pictures done, 1 some refused or failed, 2 usage error.\n";
}

TParseResult ParseOptions(const std::vector<std::string>& args) {
    if (args.empty()) {
        return Fail("no command given");
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        TParseResult result;
        result.HelpRequested = true;
        return result;
    }
    TOptions options;
    if (args[0] == "check") {
        options.Verb = TVerb::Check;
    } else if (args[0] == "shield") {
        options.Verb = TVerb::Shield;
    } else if (args[0] == "restore") {
        options.Verb = TVerb::Restore;
    } else {
        return Fail("unknown command '" + args[0] + "'");
    }

    bool formatGiven = false;
    std::optional<std::string> modeText;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            options.Paths.push_back(arg);
            continue;
        }
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                return std::nullopt;
            }
            return args[++i];
        };
        const bool passwordOption = arg == "--password-file" || arg == "--password-stdin";
        if (arg == "--") {
            optionsEnded = true;
        } else if (passwordOption && options.Verb == TVerb::Check) {
            return Fail("check takes no password");
        } else if (arg == "--password-file") {
            const auto file = value();
            if (!file) {
                return Fail("--password-file needs a file name");
            }
            options.PasswordFile = *file;
        } else if (arg == "--password-stdin") {
            options.PasswordStdin = true;
        } else if (arg == "-r" || arg == "--recursive") {
            options.Recursive = true;
        } else if (arg == "--format" && options.Verb == TVerb::Shield) {
            const auto name = value();
            const TFormatInfo* info = name ? FindFormat(*name) : nullptr;
            if (info == nullptr) {
                return Fail("--format needs one of: normal, extra, ultra, jpz");
            }
            options.Format = info->Format;
            formatGiven = true;
        } else if (arg == "--mode" && options.Verb == TVerb::Shield) {
            modeText = value();
            if (!modeText) {
                return Fail("--mode needs a number");
            }
        } else {
            return Fail("unknown option '" + arg + "'");
        }
    }
    if (!options.PasswordFile.empty() && options.PasswordStdin) {
        return Fail("give either --password-file or --password-stdin, not both");
    }
    if (options.Verb == TVerb::Shield && !formatGiven) {
        return Fail("shield needs --format");
    }
    if (modeText) {
        const auto mode = ParseNumber(*modeText);
        const int maxMode = InfoOf(options.Format).MaxMode;
        if (!mode || *mode < 1 || *mode > maxMode) {
            return Fail("--mode for " + std::string(InfoOf(options.Format).Name) +
                        " must be a number from 1 to " + std::to_string(maxMode));
        }
        options.Mode = *mode;
    }
    if (options.Paths.empty()) {
        return Fail("no path given");
    }
    TParseResult result;
    result.Options = std::move(options);
    return result;
}

}  // namespace murk::cli
