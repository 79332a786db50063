#pragma once

#include <iosfwd>

#include "Options.h"

namespace murk::cli {

// Each returns the exit status: 0 when every picture given was handled,
// 1 when any was refused or failed, 2 when the run could not start.
int RunCheck(const TOptions& options, std::ostream& out, std::ostream& err);
int RunShield(const TOptions& options, std::ostream& out, std::ostream& err);
int RunRestore(const TOptions& options, std::ostream& out, std::ostream& err);

}  // namespace murk::cli
