#include "PtySession.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace murktest {

TPtySession::TPtySession(const std::vector<std::string>& args) {
    std::vector<std::string> argv{MURKWELL_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (auto& arg : argv) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    FPid = ::forkpty(&FMaster, nullptr, nullptr, nullptr);
    if (FPid < 0) {
        throw std::runtime_error("forkpty failed");
    }
    if (FPid == 0) {
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
}

TPtySession::~TPtySession() {
    if (FPid > 0) {
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
    }
    if (FMaster >= 0) {
        ::close(FMaster);
    }
}

void TPtySession::ReadAvailable(int timeoutMs) {
    pollfd fd{FMaster, POLLIN, 0};
    if (::poll(&fd, 1, timeoutMs) <= 0) {
        return;
    }
    char buffer[4096];
    const ssize_t count = ::read(FMaster, buffer, sizeof buffer);
    if (count > 0) {
        FOutput.append(buffer, size_t(count));
    }
}

bool TPtySession::WaitFor(const std::string& text, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (FOutput.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        ReadAvailable(50);
    }
    return true;
}

void TPtySession::Type(const std::string& keys) {
    if (::write(FMaster, keys.data(), keys.size()) != ssize_t(keys.size())) {
        throw std::runtime_error("cannot type on the terminal");
    }
}

int TPtySession::Wait() {
    int status = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (::waitpid(FPid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= end) {
            return -2;
        }
        ReadAvailable(20);
    }
    FPid = -1;
    // What was written just before the end.
    ReadAvailable(0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool TPtySession::EchoOn() const {
    termios settings{};
    // The master reports the terminal's settings, which the program changed
    // through its side.
    if (::tcgetattr(FMaster, &settings) != 0) {
        throw std::runtime_error("tcgetattr failed");
    }
    return (settings.c_lflag & ECHO) != 0;
}

}  // namespace murktest
