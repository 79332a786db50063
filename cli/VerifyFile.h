#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "murkcheck.h"

namespace murk::cli {

class TPasswordSource;

enum class TVerifyOutcome { Ok, WrongPassword, Damaged, Skipped, Refused, Failed };

struct TVerifyResult {
    TVerifyOutcome Outcome = TVerifyOutcome::Failed;
    std::optional<TMurkState> State;
    std::optional<int64_t> Size;
    std::string Reason;
};

// Whether the picture would restore with the password, by every check a
// restore makes, without writing anything: neither the file's bytes nor its
// time stamps change. A null password means none could be had.
TVerifyResult VerifyPicture(const std::string& path, TPasswordSource* password, bool jpzAvailable);

// "ok", "wrong password", "damaged", "skipped", "refused", "failed".
const char* VerifyOutcomeName(TVerifyOutcome outcome);

// The result's line: "ok PATH (Extra)", "wrong password PATH",
// "damaged PATH: REASON", or VERB PATH: REASON for the others.
std::string VerifyLine(const std::string& path, const TVerifyResult& result);

}  // namespace murk::cli
