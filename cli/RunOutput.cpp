#include "RunOutput.h"

#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <ostream>

#include "Escape.h"
#include "Signals.h"

namespace murk::cli {

std::string StateName(TMurkState state) {
    std::string text = StateText(state);
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string JsonLine(const std::string& path, std::optional<TMurkState> state,
                     std::optional<int64_t> size, const std::string& outcome,
                     const std::string& reason) {
    std::string line = "{\"path\":" + JsonString(path);
    line += ",\"state\":" + (state ? JsonString(StateName(*state)) : std::string("null"));
    line += ",\"size\":" + (size ? std::to_string(*size) : std::string("null"));
    line += ",\"outcome\":" + JsonString(outcome);
    if (!reason.empty()) {
        line += ",\"reason\":" + JsonString(reason);
    }
    return line + "}";
}

TRunOutput::TRunOutput(std::ostream& err) : FReport(STDOUT_FILENO), FErr(err) {}

void TRunOutput::Line(const std::string& verb, const std::string& path, const std::string& reason) {
    std::string line = verb + " " + EscapeForTerminal(path);
    if (!reason.empty()) {
        line += ": " + EscapeForTerminal(reason);
    }
    FReport.Line(line);
}

bool TRunOutput::ShouldStop() {
    return !FReport.Flush() || StopSignal() != 0;
}

int TRunOutput::Finish(size_t done, size_t total) {
    FReport.Flush();
    const std::string counted = std::to_string(done) + " of " + std::to_string(total);
    if (FReport.Failed()) {
        FErr << "murkwell-cli: cannot write the results: " << FReport.ErrorText()
             << "; stopped after " << counted << " files.\n";
        FErr.flush();
        return StopSignal() != 0 ? StatusForSignal(StopSignal()) : 1;
    }
    if (const int signal = StopSignal(); signal != 0) {
        FErr << "murkwell-cli: stopped by SIG" << ::sigabbrev_np(signal) << " after " << counted
             << " files; the others are untouched.\n";
        FErr.flush();
        return StatusForSignal(signal);
    }
    return FStatus;
}

}  // namespace murk::cli
