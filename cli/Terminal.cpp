#include "Terminal.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "PasswordSource.h"
#include "Signals.h"

namespace murk::cli {

namespace {

void WriteText(const std::string& text) {
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t count = ::write(STDERR_FILENO, data, left);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return;
        }
        data += count;
        left -= size_t(count);
    }
}

// Echo off for the life of the object; the settings found are put back.
class TQuietTerminal {
public:
    TQuietTerminal() : FActive(::tcgetattr(STDIN_FILENO, &FSaved) == 0) {
        if (FActive) {
            termios quiet = FSaved;
            quiet.c_lflag &= ~tcflag_t(ECHO | ECHONL);
            // Keys typed ahead are kept: they are the password.
            ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
        }
    }
    ~TQuietTerminal() {
        if (FActive) {
            ::tcsetattr(STDIN_FILENO, TCSANOW, &FSaved);
        }
    }
    TQuietTerminal(const TQuietTerminal&) = delete;
    TQuietTerminal& operator=(const TQuietTerminal&) = delete;

private:
    termios FSaved{};
    bool FActive;
};

}  // namespace

std::string PromptWithoutEcho(const std::string& prompt) {
    std::string line;
    bool ended = false;
    {
        // Quiet before the prompt shows, so nothing typed after it is echoed.
        TQuietTerminal quiet;
        WriteText(prompt);
        for (;;) {
            if (!WaitForInput(STDIN_FILENO)) {
                break;
            }
            char c = 0;
            const ssize_t count = ::read(STDIN_FILENO, &c, 1);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count <= 0) {
                ended = true;
                break;
            }
            if (c == '\n') {
                break;
            }
            line += c;
        }
    }
    // The user's Enter was not echoed.
    WriteText("\n");
    if (StopSignal() != 0) {
        throw TInterrupted{StopSignal()};
    }
    if (ended && line.empty()) {
        throw PasswordError("No password was entered.");
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

}  // namespace murk::cli
