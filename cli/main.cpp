#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "Options.h"
#include "Verbs.h"

int main(int argc, char** argv) {
    // A file-size limit must fail the write (and leave the original), not
    // kill the process half way.
    std::signal(SIGXFSZ, SIG_IGN);
    std::ios::sync_with_stdio(false);

    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = murk::cli::ParseOptions(args);
    if (parsed.HelpRequested) {
        std::cout << murk::cli::UsageText();
        return 0;
    }
    if (!parsed.Options) {
        std::cerr << "murkwell-cli: " << parsed.Error << "\n\n" << murk::cli::UsageText();
        return 2;
    }
    const auto& options = *parsed.Options;
    switch (options.Verb) {
        case murk::cli::TVerb::Check:
            return murk::cli::RunCheck(options, std::cout, std::cerr);
        case murk::cli::TVerb::Shield:
            return murk::cli::RunShield(options, std::cout, std::cerr);
        case murk::cli::TVerb::Restore:
            return murk::cli::RunRestore(options, std::cout, std::cerr);
    }
    return 2;
}
