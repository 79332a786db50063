#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Signals.h"
#include "StandardStreams.h"
#include "Verbs.h"

namespace {

int Run(const murk::cli::TOptions& options) {
    using murk::cli::TVerb;
    switch (options.Verb) {
        case TVerb::Check:
            return murk::cli::RunCheck(options, std::cerr);
        case TVerb::Shield:
            return murk::cli::RunShield(options, std::cerr);
        case TVerb::Restore:
            return murk::cli::RunRestore(options, std::cerr);
        case TVerb::Verify:
            return murk::cli::RunVerify(options, std::cerr);
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    murk::cli::GuardStandardStreams();
    // A file-size limit must fail the write (and leave the original), not
    // kill the process half way.
    std::signal(SIGXFSZ, SIG_IGN);
    murk::cli::InstallStopSignals();
    std::ios::sync_with_stdio(false);

    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        const auto command = murk::cli::ParseCommandLine(args, std::cout, std::cerr);
        if (!command.Options) {
            std::cout.flush();
            return command.Status;
        }
        return Run(*command.Options);
    } catch (const std::exception& error) {
        // Each file's errors are caught where it is handled; whatever comes
        // here stopped the run between files.
        std::cerr << "murkwell-cli: " << error.what() << "\n";
        return 1;
    }
}
