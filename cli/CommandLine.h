#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "Options.h"

namespace murk::cli {

struct TCommandLine {
    // Set when there is work to do; otherwise the program ends with Status.
    std::optional<TOptions> Options;
    int Status = 0;
};

// Understands the arguments (without the program's name). Help and the
// version go to out with status 0; a usage error is explained on err with
// status 2.
TCommandLine ParseCommandLine(const std::vector<std::string>& args, std::ostream& out,
                              std::ostream& err);

}  // namespace murk::cli
