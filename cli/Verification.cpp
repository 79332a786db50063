#include "Verification.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "Escape.h"
#include "FileErrors.h"
#include "FileSystem.h"
#include "PasswordSource.h"
#include "PictureStates.h"
#include "RunOutput.h"
#include "Verify.h"

namespace murk::cli {

namespace {

// Opens for reading without moving the access time where the system lets
// the process say so (the owner, or root).
int OpenQuietly(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOATIME);
    if (fd < 0 && errno == EPERM) {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    }
    return fd;
}

TVerification Judge(const TVerifyResult& result, int64_t size) {
    TVerification verification{TVerifyOutcome::Ok, result.Format, size, {}};
    if (result.Ok) {
        return verification;
    }
    std::string reason = RefusalMessage(result.Reason, 0);
    if (!result.ErrorText.empty()) {
        reason += " (" + result.ErrorText + ")";
    }
    switch (result.Reason) {
        case TRefusal::WrongPassword:
            if (NeedsPassword(result.Format)) {
                verification.Outcome = TVerifyOutcome::WrongPassword;
            } else {
                // Normal has no password: only damage makes its head unsound.
                verification.Outcome = TVerifyOutcome::Damaged;
                verification.Reason = "the restored head is not a sound JPEG head";
            }
            return verification;
        case TRefusal::NotShielded:
            return {TVerifyOutcome::Skipped, result.Format, size, "not shielded"};
        // What stands in the way is not the file.
        case TRefusal::JpzUnavailable:
        case TRefusal::PasswordTooShort:
        case TRefusal::PasswordTooLong:
        case TRefusal::EmptyPassword:
        case TRefusal::PasswordHasNul:
        case TRefusal::CannotWrite:
        case TRefusal::ScratchExists:
            return {TVerifyOutcome::Refused, result.Format, size, reason};
        case TRefusal::TooLarge:
            return {TVerifyOutcome::Failed, result.Format, size, reason};
        default:
            return {TVerifyOutcome::Damaged, result.Format, size, reason};
    }
}

}  // namespace

TVerification VerifyPicture(const std::string& path, TPasswordSource* password) {
    try {
        const auto head = QuietHead(path);
        if (!head) {
            return {TVerifyOutcome::Failed, std::nullopt, std::nullopt, OpenError(path)};
        }
        const TMurkState state = head->State();
        if (!IsShielded(state)) {
            return {TVerifyOutcome::Skipped, state, head->Size, "not shielded"};
        }
        if (NeedsPassword(state) && password == nullptr) {
            return {TVerifyOutcome::Refused, state, head->Size, "a password is needed"};
        }
        const TVerifyResult result =
            VerifyFile(path, NeedsPassword(state) ? password->Get() : std::string());
        return Judge(result, head->Size);
    } catch (const FileError& error) {
        return {TVerifyOutcome::Failed, std::nullopt, std::nullopt, FileErrorReason(error)};
    } catch (const std::bad_alloc&) {
        return {TVerifyOutcome::Failed, std::nullopt, std::nullopt,
                RefusalText(TRefusal::TooLarge)};
    }
}

std::optional<TFileHead> QuietHead(const std::string& path) {
    const int fd = OpenQuietly(path);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st {};
    TFileHead head;
    ssize_t headCount = -1;
    ssize_t tailCount = -1;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        head.Size = st.st_size;
        headCount = st.st_size >= 4 ? ::pread(fd, head.Head, 4, 0) : 0;
        tailCount = st.st_size >= 2 ? ::pread(fd, head.Tail, 2, st.st_size - 2) : 0;
    }
    ::close(fd);
    if (headCount < 0 || tailCount < 0) {
        return std::nullopt;
    }
    head.HeadCount = size_t(headCount);
    head.TailCount = size_t(tailCount);
    return head;
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

std::string VerifyLine(const std::string& path, const TVerification& verification) {
    std::string line =
        std::string(VerifyOutcomeName(verification.Outcome)) + " " + EscapeForTerminal(path);
    if (verification.Outcome == TVerifyOutcome::Ok && verification.State) {
        return line + " (" + StateName(*verification.State) + ")";
    }
    if (!verification.Reason.empty()) {
        line += ": " + EscapeForTerminal(verification.Reason);
    }
    return line;
}

}  // namespace murk::cli
