#pragma once

#include <string>

namespace murk::cli {

// The results on standard output, one line each. Lines are gathered and
// written with write(2), so a failed write (a full disk, a closed pipe) is
// seen and the run can end with status 1 instead of claiming success.
class TReport {
public:
    explicit TReport(int fd);
    ~TReport();
    TReport(const TReport&) = delete;
    TReport& operator=(const TReport&) = delete;

    // Text without its line end; file names in it must already be escaped.
    void Line(const std::string& text);
    // Writes what was gathered; false once any write has failed.
    bool Flush();
    bool Failed() const { return FError != 0; }
    // The system's words for the failed write.
    std::string ErrorText() const;

private:
    int FFd;
    std::string FPending;
    int FError = 0;
};

}  // namespace murk::cli
