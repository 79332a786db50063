#pragma once

#include <QString>

#include <cstdint>
#include <vector>

#include "Codec.h"
#include "RunView.h"

namespace murk {

// Why a codec refused a file, in the window's Japanese.
QString RefusalTextJa(TRefusal reason, uint64_t otherNames = 0);

// Why a run did not process a file, in the window's Japanese.
QString FailureReasonJa(const TRunFailure& failure);

// The text of the box that ends a run with failures: one line per file, at
// most ShownFailures of them, and a count of the rest. Files of one folder
// are named by their names under a line that names the folder.
inline constexpr size_t ShownFailures = 20;
QString FailureListText(const std::vector<TRunFailure>& failures);

}  // namespace murk
