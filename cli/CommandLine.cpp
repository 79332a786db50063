#include "CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <charconv>
#include <ostream>

#include "UltraCodec.h"

namespace murk::cli {

namespace {

struct TFormatInfo {
    const char* Name;
    TFormat Format;
    int MaxMode;
};

constexpr std::array<TFormatInfo, 4> kFormats{{
    {"normal", TFormat::Normal, 10},
    {"extra", TFormat::Extra, 5},
    {"ultra", TFormat::Ultra, kUltraMaxMode},
    // The Jpz library has no modes.
    {"jpz", TFormat::Jpz, 1},
}};

const TFormatInfo& InfoOf(TFormat format) {
    for (const auto& info : kFormats) {
        if (info.Format == format) {
            return info;
        }
    }
    return kFormats[0];
}

constexpr const char* kProgram = "murkwell-cli";

constexpr const char* kFooter =
    "A folder stands for the pictures in it; -r takes its sub-folders too.\n"
    "The password is never taken from the command line: it is the first line of\n"
    "--password-file, all of standard input with --password-stdin, or it is asked\n"
    "for without echo when standard input is a terminal (twice for shield).\n"
    "\n"
    "Exit status: 0 all done or nothing to do, 1 some refused or failed,\n"
    "2 usage error (nothing touched), 130/143/129 interrupted by SIGINT, SIGTERM\n"
    "or SIGHUP. See murkwell-cli(1).";

// The options a verb was given more than once are a usage error: the last
// one silently winning hides a slip in a script.
class TOnce {
public:
    void Add(CLI::Option* option) {
        option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        FOptions.push_back(option);
    }
    std::string Repeated() const {
        for (const CLI::Option* option : FOptions) {
            if (option->count() > 1) {
                return option->get_name() + " is given more than once";
            }
        }
        return {};
    }

private:
    std::vector<CLI::Option*> FOptions;
};

struct TVerbApp {
    CLI::App* App;
    TVerb Verb;
};

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& args, std::ostream& out,
                              std::ostream& err) {
    CLI::App app("Shields JPEG pictures in place and restores them byte for byte.", kProgram);
    app.set_version_flag("--version", std::string(kProgram) + " " + MURKWELL_VERSION);
    app.footer(kFooter);
    app.require_subcommand(1);
    app.fallthrough(false);

    TOptions options;
    TOnce once;
    std::string formatName;
    std::string modeText;
    std::string helpTopic;

    auto addPaths = [&](CLI::App* verb) {
        verb->add_option("PATH", options.Paths, "Pictures, and folders of pictures")->required();
        verb->add_flag("-r,--recursive", options.Recursive,
                       "Take the sub-folders of each folder too");
    };
    auto addPassword = [&](CLI::App* verb) {
        auto* file = verb->add_option("--password-file", options.PasswordFile,
                                      "Read the password from the first line of FILE");
        file->type_name("FILE");
        once.Add(file);
        auto* fromStdin = verb->add_flag("--password-stdin", options.PasswordStdin,
                                         "Read the password from all of standard input");
        fromStdin->excludes(file);
    };

    auto* check = app.add_subcommand("check", "Print the state, size and path of each picture");
    addPaths(check);
    check->add_flag("--json", options.Json, "One JSON object per line");

    auto* shield = app.add_subcommand("shield", "Protect each picture in place");
    std::vector<std::string> formatNames;
    for (const auto& info : kFormats) {
        formatNames.push_back(info.Name);
    }
    auto* format = shield->add_option("--format", formatName, "The format to shield with")
                       ->required()
                       ->check(CLI::IsMember(formatNames));
    format->type_name("FORMAT");
    once.Add(format);
    auto* modeOption = shield->add_option(
        "--mode", modeText, "Block size in KiB: normal 1-10, extra 1-5, ultra 1-4 (default 1)");
    modeOption->type_name("N");
    once.Add(modeOption);
    addPassword(shield);
    addPaths(shield);

    auto* restore = app.add_subcommand("restore", "Give each shielded picture back");
    addPassword(restore);
    restore->add_flag("--no-verify", options.NoVerify,
                      "Skip the check that the restored head is a sound JPEG head");
    addPaths(restore);

    auto* verify = app.add_subcommand(
        "verify", "Tell whether each shielded picture would restore, changing nothing");
    addPassword(verify);
    verify->add_flag("--json", options.Json, "One JSON object per line");
    addPaths(verify);

    auto* help = app.add_subcommand("help", "Print the help of the program or of a command");
    help->add_option("COMMAND", helpTopic, "check, shield, restore or verify");

    const std::vector<TVerbApp> verbs{{check, TVerb::Check},
                                      {shield, TVerb::Shield},
                                      {restore, TVerb::Restore},
                                      {verify, TVerb::Verify}};
    for (const auto& verb : verbs) {
        verb.App->footer(
            "Exit status: 0 all done or nothing to do, 1 some refused or failed,\n"
            "2 usage error, 130/143/129 interrupted. See murkwell-cli(1).");
    }

    auto usageError = [&](const std::string& message) {
        err << kProgram << ": " << message << "\nTry '" << kProgram << " --help' for more.\n";
        return TCommandLine{std::nullopt, 2};
    };

    // CLI11 takes its arguments in reverse order.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    if (!args.empty() && !args[0].starts_with("-") &&
        std::none_of(verbs.begin(), verbs.end(),
                     [&](const TVerbApp& verb) { return verb.App->get_name() == args[0]; }) &&
        args[0] != "help") {
        return usageError("unknown command '" + args[0] + "'");
    }
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return {std::nullopt, 0};
    } catch (const CLI::CallForAllHelp&) {
        out << app.help();
        return {std::nullopt, 0};
    } catch (const CLI::CallForVersion&) {
        out << app.version() << "\n";
        return {std::nullopt, 0};
    } catch (const CLI::RequiredError& error) {
        if (app.get_subcommands().empty()) {
            return usageError("no command given");
        }
        return usageError(error.what());
    } catch (const CLI::ParseError& error) {
        return usageError(error.what());
    }

    if (help->parsed()) {
        if (helpTopic.empty()) {
            out << app.help();
            return {std::nullopt, 0};
        }
        for (const auto& verb : verbs) {
            if (verb.App->get_name() == helpTopic) {
                out << verb.App->help(kProgram);
                return {std::nullopt, 0};
            }
        }
        return usageError("no command '" + helpTopic + "'");
    }
    if (const std::string repeated = once.Repeated(); !repeated.empty()) {
        return usageError(repeated);
    }
    for (const auto& verb : verbs) {
        if (verb.App->parsed()) {
            options.Verb = verb.Verb;
        }
    }
    if (options.Verb == TVerb::Shield) {
        for (const auto& info : kFormats) {
            if (formatName == info.Name) {
                options.Format = info.Format;
            }
        }
        if (modeOption->count() > 0) {
            const int maxMode = InfoOf(options.Format).MaxMode;
            int mode = 0;
            const char* end = modeText.data() + modeText.size();
            const auto parsed = std::from_chars(modeText.data(), end, mode);
            if (parsed.ec != std::errc() || parsed.ptr != end || mode < 1 || mode > maxMode) {
                if (maxMode == 1) {
                    return usageError(formatName + " has no modes; leave --mode out");
                }
                return usageError("--mode for " + formatName + " must be a number from 1 to " +
                                  std::to_string(maxMode));
            }
            options.Mode = mode;
        }
    }
    return {std::move(options), 0};
}

}  // namespace murk::cli
