#include "ProgressLine.h"

#include <unistd.h>

#include <cstdio>
#include <ostream>

namespace murk::cli {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(200);

}  // namespace

TProgressLine::TProgressLine(std::ostream& err, size_t total)
    : FErr(err),
      FEnabled(::isatty(STDERR_FILENO) == 1),
      FTotal(total),
      FStart(std::chrono::steady_clock::now()),
      FLastDraw(FStart) {}

TProgressLine::~TProgressLine() {
    Clear();
}

void TProgressLine::FileDone(int64_t bytes) {
    ++FDone;
    FBytes += bytes;
    const auto now = std::chrono::steady_clock::now();
    if (FEnabled && now - FLastDraw >= kRedrawInterval) {
        FLastDraw = now;
        Draw();
    }
}

void TProgressLine::Draw() {
    const double seconds = std::chrono::duration<double>(FLastDraw - FStart).count();
    char line[128];
    std::snprintf(line, sizeof line, "\r%zu of %zu files, %.1f MB, %.1f s\033[K", FDone, FTotal,
                  double(FBytes) / 1e6, seconds);
    FErr << line << std::flush;
    FShown = true;
}

void TProgressLine::Clear() {
    if (FShown) {
        FErr << "\r\033[K" << std::flush;
        FShown = false;
    }
}

}  // namespace murk::cli
