#include "VerifyFile.h"

#include <new>

#include "Escape.h"
#include "FileSystem.h"
#include "MemoryStream.h"
#include "PasswordSource.h"
#include "RunOutput.h"

namespace murk::cli {

namespace {

bool IsShielded(TMurkState state) {
    return state == msNormal || state == msExtra || state == msUltra || state == msJpz;
}

bool NeedsPassword(TMurkState state) {
    return state == msExtra || state == msUltra || state == msJpz;
}

TVerifyResult Result(TVerifyOutcome outcome, TMurkState state, int64_t size,
                     std::string reason = {}) {
    return {outcome, state, size, std::move(reason)};
}

TVerifyResult CheckShielded(const TMemoryStream& stream, const std::string& path,
                            const std::string& password, TMurkState state);

}  // namespace

TVerifyResult VerifyPicture(const std::string& path, TPasswordSource* password, bool jpzAvailable) {
    try {
        TMemoryStream stream;
        stream.LoadFromFile(path);
        const TMurkState state = TMurkCheck().CheckStream(stream);
        const auto size = int64_t(stream.Size());
        if (!IsShielded(state)) {
            return Result(TVerifyOutcome::Skipped, state, size, "not shielded");
        }
        if (NeedsPassword(state) && password == nullptr) {
            return Result(TVerifyOutcome::Refused, state, size, "a password is needed");
        }
        if (state == msJpz && !jpzAvailable) {
            return Result(TVerifyOutcome::Refused, state, size, "the Jpz library is not available");
        }
        return CheckShielded(stream, path, NeedsPassword(state) ? password->Get() : "", state);
    } catch (const FileOpenError& error) {
        return {TVerifyOutcome::Failed, std::nullopt, std::nullopt, error.what()};
    } catch (const std::bad_alloc&) {
        return {TVerifyOutcome::Failed, std::nullopt, std::nullopt,
                "not enough memory to hold the file"};
    } catch (const std::exception& error) {
        return {TVerifyOutcome::Failed, std::nullopt, std::nullopt, error.what()};
    }
}

const char* VerifyOutcomeName(TVerifyOutcome outcome) {
    switch (outcome) {
        case TVerifyOutcome::Ok:
            return "ok";
        case TVerifyOutcome::WrongPassword:
            return "wrong password";
        case TVerifyOutcome::Damaged:
            return "damaged";
        case TVerifyOutcome::Skipped:
            return "skipped";
        case TVerifyOutcome::Refused:
            return "refused";
        case TVerifyOutcome::Failed:
            return "failed";
    }
    return "failed";
}

std::string VerifyLine(const std::string& path, const TVerifyResult& result) {
    std::string line =
        std::string(VerifyOutcomeName(result.Outcome)) + " " + EscapeForTerminal(path);
    if (result.Outcome == TVerifyOutcome::Ok && result.State) {
        return line + " (" + StateName(*result.State) + ")";
    }
    if (!result.Reason.empty()) {
        line += ": " + EscapeForTerminal(result.Reason);
    }
    return line;
}

}  // namespace murk::cli

namespace murk::cli {
namespace {
TVerifyResult CheckShielded(const TMemoryStream& stream, const std::string&, const std::string&,
                            TMurkState state) {
    return Result(TVerifyOutcome::Refused, state, int64_t(stream.Size()), "PLACEHOLDER");
}
}  // namespace
}  // namespace murk::cli
