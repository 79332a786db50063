#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "murkcheck.h"

namespace murk::cli {

class TPasswordSource;

enum class TVerifyOutcome { Ok, WrongPassword, Damaged, Skipped, Refused, Failed };

struct TVerification {
    TVerifyOutcome Outcome = TVerifyOutcome::Failed;
    std::optional<TMurkState> State;
    std::optional<int64_t> Size;
    std::string Reason;
};

// Whether the picture would restore with the password, by every check a
// restore makes, without writing anything: neither the file's bytes nor its
// time stamps change. A null password means none could be had.
TVerification VerifyPicture(const std::string& path, TPasswordSource* password);

// What classification reads of a file, read without moving its access time
// where the system allows; empty when it cannot be read.
std::optional<TFileHead> QuietHead(const std::string& path);

// "ok", "wrong password", "damaged", "skipped", "refused", "failed".
const char* VerifyOutcomeName(TVerifyOutcome outcome);

// The line of a verification: "ok PATH (Extra)", "wrong password PATH",
// "damaged PATH: REASON", or "VERB PATH: REASON" for the others.
std::string VerifyLine(const std::string& path, const TVerification& verification);

}  // namespace murk::cli
