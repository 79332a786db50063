#include "PasswordSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Cp932.h"
#include "Escape.h"
#include "ExtraCodec.h"
#include "JpzCodec.h"
#include "Signals.h"
#include "StandardStreams.h"
#include "Terminal.h"

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

std::string FirstLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

// All of an open file; what names it is only for the messages.
std::string ReadAll(int fd, const std::string& what) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        throw PasswordError("Cannot read " + what + ": " + std::strerror(errno) + ".");
    }
    if (S_ISDIR(st.st_mode)) {
        throw PasswordError("Cannot read " + what + ": it is a folder.");
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        if (!WaitForInput(fd)) {
            throw TInterrupted{StopSignal()};
        }
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count == 0) {
            return text;
        }
        if (count < 0) {
            if (errno == EINTR) {
                if (StopSignal() != 0) {
                    throw TInterrupted{StopSignal()};
                }
                continue;
            }
            throw PasswordError("Cannot read " + what + ": " + std::strerror(errno) + ".");
        }
        text.append(buffer, size_t(count));
        // A password is a line; a large file is a mistake.
        if (text.size() > 1 << 20) {
            throw PasswordError("Cannot use " + what + ": it is far too long for a password.");
        }
    }
}

}  // namespace

TPasswordSource::TPasswordSource(std::string passwordFile, bool fromStdin, bool confirm)
    : FPasswordFile(std::move(passwordFile)), FFromStdin(fromStdin), FConfirm(confirm) {}

bool TPasswordSource::Available() const {
    return !FPasswordFile.empty() || FFromStdin || ::isatty(STDIN_FILENO) == 1;
}

std::string TPasswordSource::ReadUtf8() {
    if (!FPasswordFile.empty()) {
        const std::string what = "the password file " + FPasswordFile;
        const int fd = ::open(FPasswordFile.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            throw PasswordError("Cannot read " + what + ": " + std::strerror(errno) + ".");
        }
        try {
            std::string text = ReadAll(fd, what);
            ::close(fd);
            return FirstLine(text);
        } catch (...) {
            ::close(fd);
            throw;
        }
    }
    if (FFromStdin) {
        if (WasClosedAtStart(STDIN_FILENO)) {
            throw PasswordError("Cannot read the password from standard input: it is closed.");
        }
        std::string all = ReadAll(STDIN_FILENO, "the password from standard input");
        StripLineEnd(all);
        return all;
    }
    if (::isatty(STDIN_FILENO) == 1) {
        const std::string first = PromptWithoutEcho("Password: ");
        if (FConfirm) {
            if (PromptWithoutEcho("Again: ") != first) {
                throw PasswordError("The two passwords differ; nothing was done.");
            }
        }
        return first;
    }
    throw PasswordError("A password is needed: give --password-file FILE or --password-stdin.");
}

const std::string& TPasswordSource::Get() {
    if (FBytes) {
        return *FBytes;
    }
    const std::string utf8 = ReadUtf8();
    if (utf8.empty()) {
        throw PasswordError("The password is empty.");
    }
    if (utf8.find('\0') != std::string::npos) {
        throw PasswordError("The password contains a NUL byte, which no format can hold.");
    }
    if (!IsUtf8(utf8)) {
        throw PasswordError("The password is not UTF-8 text.");
    }
    const TCp932Result converted = ToCp932(utf8);
    if (converted.ConverterMissing) {
        throw PasswordError(
            "Passwords are used as their Shift-JIS (CP932) bytes, but this system has no "
            "converter to CP932 (the C library's gconv modules); nothing was touched.");
    }
    if (!converted.Ok) {
        throw PasswordError("The password contains \"" + converted.Unencodable +
                            "\", which has no Shift-JIS (CP932) form; use other characters.");
    }
    FBytes = converted.Bytes;
    return *FBytes;
}

std::optional<std::string> ShieldPasswordRule(TFormat format, const std::string& cp932) {
    const std::string has = "; this one has " + std::to_string(cp932.size()) + ".";
    if (format == TFormat::Jpz && cp932.size() < kJpzMinPassword) {
        return "A Jpz password needs at least " + std::to_string(kJpzMinPassword) +
               " bytes as Shift-JIS (CP932)" + has;
    }
    if (format == TFormat::Extra && cp932.size() > kExtraMaxPassword) {
        return "An Extra password may have at most " + std::to_string(kExtraMaxPassword) +
               " bytes as Shift-JIS (CP932)" + has;
    }
    return std::nullopt;
}

}  // namespace murk::cli
