#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace murktest {

// Starts murkwell-cli with its standard streams on the given files and the
// environment variables (NAME=VALUE) added; returns its process id.
pid_t SpawnCli(const std::vector<std::string>& args, const std::vector<std::string>& environment,
               const std::string& in, const std::string& out, const std::string& err);

struct TCliResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Runs murkwell-cli with the arguments, feeding input on standard input
// (which is then not a terminal), with the environment variables given as
// NAME=VALUE added.
TCliResult RunCli(const std::vector<std::string>& args, const std::string& input = {},
                  const std::vector<std::string>& environment = {});

// A run with its standard streams set up the way a test needs.
struct TCliRun {
    std::vector<std::string> Args;
    std::string Input;
    // Standard input from this path instead of Input (a folder, say).
    std::string InputPath;
    bool CloseInput = false;
    // Standard output to this path (for example /dev/full) instead of a file
    // the result reads back.
    std::string OutputPath;
    // Run as the user nobody when the test runs as root, so that file
    // permissions apply.
    bool AsNobody = false;

    TCliRun& WithInput(std::string input) { return Input = std::move(input), *this; }
    TCliRun& WithInputPath(std::string path) { return InputPath = std::move(path), *this; }
    TCliRun& WithClosedInput() { return CloseInput = true, *this; }
    TCliRun& WithOutputPath(std::string path) { return OutputPath = std::move(path), *this; }
    TCliRun& WithNobody(bool asNobody) { return AsNobody = asNobody, *this; }
};

inline TCliRun CliRun(std::vector<std::string> args) {
    TCliRun run;
    run.Args = std::move(args);
    return run;
}

// Status 127 when the program could not be started (for example nobody
// may not reach it).
TCliResult RunCli(const TCliRun& run);

// Whether the tests run as root, for whom permission bits do not hold.
bool RunningAsRoot();

// The status a run that was started as nobody and could not exec reports.
constexpr int kCannotStart = 127;

}  // namespace murktest
