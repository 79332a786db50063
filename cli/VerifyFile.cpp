#include "VerifyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

// Opens for reading without moving the access time where the system lets
// the process say so (the owner, or root).
int OpenQuietly(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOATIME);
    if (fd < 0 && errno == EPERM) {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    }
    return fd;
}

class TFdCloser {
public:
    explicit TFdCloser(int fd) : FFd(fd) {}
    ~TFdCloser() { ::close(FFd); }
    TFdCloser(const TFdCloser&) = delete;
    TFdCloser& operator=(const TFdCloser&) = delete;

private:
    int FFd;
};

TMemoryStream LoadQuietly(const std::string& path) {
    const int fd = OpenQuietly(path);
    if (fd < 0) {
        throw FileOpenError(std::strerror(errno));
    }
    TFdCloser closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        throw FileOpenError("not a regular file");
    }
    TMemoryStream stream;
    stream.SetSize(size_t(st.st_size));
    size_t done = 0;
    while (done < stream.Size()) {
        const ssize_t count = ::read(fd, stream.Data() + done, stream.Size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            throw FileIoError(std::strerror(errno));
        }
        if (count == 0) {
            break;
        }
        done += size_t(count);
    }
    stream.SetSize(done);
    return stream;
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
        const TMemoryStream stream = LoadQuietly(path);
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
    } catch (const FileError& error) {
        return {TVerifyOutcome::Failed, std::nullopt, std::nullopt, error.what()};
    } catch (const std::bad_alloc&) {
        return {TVerifyOutcome::Failed, std::nullopt, std::nullopt,
                "not enough memory to hold the file"};
    } catch (const std::exception& error) {
        return {TVerifyOutcome::Failed, std::nullopt, std::nullopt, error.what()};
    }
}

TMurkState QuietState(const std::string& path) {
    const int fd = OpenQuietly(path);
    if (fd < 0) {
        return msOther;
    }
    TFdCloser closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return msOther;
    }
    uint8_t head[4] = {};
    uint8_t tail[2] = {};
    const ssize_t headCount = st.st_size >= 4 ? ::pread(fd, head, 4, 0) : 0;
    const ssize_t tailCount = st.st_size >= 2 ? ::pread(fd, tail, 2, st.st_size - 2) : 0;
    if (headCount < 0 || tailCount < 0) {
        return msOther;
    }
    return Classify(st.st_size, {head, size_t(headCount)}, {tail, size_t(tailCount)});
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
