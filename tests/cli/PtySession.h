#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace murktest {

// murkwell-cli on a pseudo-terminal, as a person at a terminal runs it:
// its standard input, output and error are the terminal.
class TPtySession {
public:
    explicit TPtySession(const std::vector<std::string>& args);
    ~TPtySession();
    TPtySession(const TPtySession&) = delete;
    TPtySession& operator=(const TPtySession&) = delete;

    // Everything the program has written, read until text appears or the
    // time is up; true when it appeared.
    bool WaitFor(const std::string& text,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Keys as typed: "\r" is Enter, "\x03" is Ctrl-C.
    void Type(const std::string& keys);
    // Waits for the program to end and returns its exit status (-1 when a
    // signal killed it); the rest of its output is read on the way.
    int Wait();
    const std::string& Output() const { return FOutput; }
    // Whether the terminal echoes what is typed.
    bool EchoOn() const;

private:
    void ReadAvailable(int timeoutMs);

    int FMaster = -1;
    pid_t FPid = -1;
    std::string FOutput;
};

}  // namespace murktest
