#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "Report.h"
#include "murkcheck.h"

namespace murk::cli {

// The state's name without the padding of its seven-character text ("Extra").
std::string StateName(TMurkState state);

// One JSON object for a path: its state and size when known, the outcome,
// and the reason when there is one.
std::string JsonLine(const std::string& path, std::optional<TMurkState> state,
                     std::optional<int64_t> size, const std::string& outcome,
                     const std::string& reason = {});

// What every verb shares at its end: the status grows to 1 with a refusal
// or failure, the run stops after the file in hand on a stop signal or a
// failed write of the results, and the end says why it stopped.
class TRunOutput {
public:
    explicit TRunOutput(std::ostream& err);

    TReport& Report() { return FReport; }
    // A plain line: "VERB PATH" or "VERB PATH: REASON", the path escaped.
    void Line(const std::string& verb, const std::string& path, const std::string& reason = {});
    void MarkFailed() { FStatus = 1; }
    // Writes the results so far; true when the run is to stop now.
    bool ShouldStop();
    // The exit status; done of total files were handled.
    int Finish(size_t done, size_t total);

private:
    TReport FReport;
    std::ostream& FErr;
    int FStatus = 0;
};

}  // namespace murk::cli
