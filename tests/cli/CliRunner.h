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

}  // namespace murktest
