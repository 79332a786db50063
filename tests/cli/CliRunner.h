#pragma once

#include <string>
#include <vector>

namespace murktest {

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
