#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>

namespace murk::cli {

// A line on a terminal's standard error that counts the files done, the
// megabytes and the time, redrawn a few times a second and wiped at the
// end. Off when standard error is not a terminal.
class TProgressLine {
public:
    TProgressLine(std::ostream& err, size_t total);
    ~TProgressLine();
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

    void FileDone(int64_t bytes);
    // Removes the line before other output goes to the terminal.
    void Clear();

private:
    void Draw();

    std::ostream& FErr;
    const bool FEnabled;
    const size_t FTotal;
    size_t FDone = 0;
    int64_t FBytes = 0;
    bool FShown = false;
    const std::chrono::steady_clock::time_point FStart;
    std::chrono::steady_clock::time_point FLastDraw;
};

}  // namespace murk::cli
