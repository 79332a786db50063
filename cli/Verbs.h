#pragma once

#include <iosfwd>

#include "Options.h"

namespace murk::cli {

// Each writes its results to standard output and its diagnostics to err,
// and returns the exit status: 0 when every picture was done or had nothing
// to do, 1 when any was refused or failed (or the results could not be
// written), 2 when the run could not start (nothing touched), 128 + the
// signal's number when a stop signal ended it.
int RunCheck(const TOptions& options, std::ostream& err);
int RunShield(const TOptions& options, std::ostream& err);
int RunRestore(const TOptions& options, std::ostream& err);
int RunVerify(const TOptions& options, std::ostream& err);

}  // namespace murk::cli
