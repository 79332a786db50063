#include "Report.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "StandardStreams.h"

namespace murk::cli {

namespace {

// Enough lines to keep a check of many files from writing each one alone.
constexpr size_t kFlushSize = 64 * 1024;

}  // namespace

TReport::TReport(int fd) : FFd(fd) {
    // /dev/null stands in for a stream closed at start; results written
    // there would be lost without a word.
    if (WasClosedAtStart(fd)) {
        FError = EBADF;
    }
}

TReport::~TReport() {
    Flush();
}

void TReport::Line(const std::string& text) {
    FPending += text;
    FPending += '\n';
    if (FPending.size() >= kFlushSize) {
        Flush();
    }
}

bool TReport::Flush() {
    size_t done = 0;
    while (FError == 0 && done < FPending.size()) {
        const ssize_t count = ::write(FFd, FPending.data() + done, FPending.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            FError = count < 0 ? errno : EIO;
            break;
        }
        done += size_t(count);
    }
    FPending.clear();
    return FError == 0;
}

std::string TReport::ErrorText() const {
    return std::strerror(FError);
}

}  // namespace murk::cli
