#include "PasswordSource.h"

#include <termios.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <iterator>

#include "Cp932.h"

namespace murk::cli {

namespace {

void StripLineEnd(std::string& text) {
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
    }
}

std::string PromptWithoutEcho() {
    std::cerr << "Password: " << std::flush;
    termios saved{};
    const bool terminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool got = bool(std::getline(std::cin, line));
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    }
    std::cerr << "\n";
    if (!got) {
        throw PasswordError("No password was entered.");
    }
    StripLineEnd(line);
    return line;
}

}  // namespace

TPasswordSource::TPasswordSource(std::string passwordFile, bool fromStdin)
    : FPasswordFile(std::move(passwordFile)), FFromStdin(fromStdin) {}

std::string TPasswordSource::ReadUtf8() {
    if (!FPasswordFile.empty()) {
        std::ifstream in(FPasswordFile, std::ios::binary);
        if (!in) {
            throw PasswordError("Cannot read the password file " + FPasswordFile + ".");
        }
        std::string line;
        std::getline(in, line);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return line;
    }
    if (FFromStdin) {
        std::string all((std::istreambuf_iterator<char>(std::cin)),
                        std::istreambuf_iterator<char>());
        StripLineEnd(all);
        return all;
    }
    if (::isatty(STDIN_FILENO)) {
        return PromptWithoutEcho();
    }
    throw PasswordError("A password is needed: give --password-file FILE or --password-stdin.");
}

const std::string& TPasswordSource::Get() {
    if (!FBytes) {
        const TCp932Result converted = ToCp932(ReadUtf8());
        if (!converted.Ok) {
            throw PasswordError("The password contains \"" + converted.Unencodable +
                                "\", which has no Shift-JIS (CP932) form; use other characters.");
        }
        FBytes = converted.Bytes;
    }
    return *FBytes;
}

}  // namespace murk::cli
