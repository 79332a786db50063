#pragma once

namespace murk::cli {

// SIGINT, SIGTERM and SIGHUP only note that the run is to stop: the file in
// hand is finished (its save is atomic), the rest are left alone, and the
// program ends with 128 + the signal's number. A blocking read (the password
// prompt) is interrupted rather than restarted.
void InstallStopSignals();

// The signal that asked the run to stop, or 0.
int StopSignal();

// Waits until fd has something to read (or its end, or an error) and
// returns true, or returns false as soon as a stop signal has come, also
// one that came before the call.
bool WaitForInput(int fd);

// The exit status for a stop signal: 130, 143 or 129.
inline int StatusForSignal(int signal) {
    return 128 + signal;
}

}  // namespace murk::cli
