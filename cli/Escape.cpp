#include "Escape.h"

#include <cstdint>
#include <cstdio>

namespace murk::cli {

namespace {

// The length of the well-formed UTF-8 sequence at text[i] (overlong forms,
// surrogates and values above U+10FFFF excluded), or 0.
size_t Utf8Length(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return uint8_t(text[i + k]); };
    const size_t left = text.size() - i;
    const uint8_t lead = byte(0);
    auto continuation = [&](size_t k) { return k < left && (byte(k) & 0xC0) == 0x80; };
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return continuation(1) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!continuation(1) || !continuation(2)) {
            return 0;
        }
        if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0)) {
            return 0;
        }
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!continuation(1) || !continuation(2) || !continuation(3)) {
            return 0;
        }
        if ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90)) {
            return 0;
        }
        return 4;
    }
    return 0;
}

// U+0080 to U+009F, which some terminals obey as control characters.
bool IsC1(std::string_view text, size_t i, size_t length) {
    return length == 2 && uint8_t(text[i]) == 0xC2 && uint8_t(text[i + 1]) < 0xA0;
}

// The escapes that the terminal's form and JSON write alike; null for any
// other byte.
const char* CommonEscape(uint8_t c) {
    switch (c) {
        case '\\':
            return "\\\\";
        case '\n':
            return "\\n";
        case '\t':
            return "\\t";
        case '\r':
            return "\\r";
        default:
            return nullptr;
    }
}

void AppendHex(std::string& out, const char* prefix, unsigned value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%s%0*X", prefix, digits, value);
    out += buffer;
}

}  // namespace

std::string EscapeForTerminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const uint8_t c = uint8_t(text[i]);
        const size_t length = Utf8Length(text, i);
        if (length == 0) {
            AppendHex(out, "\\x", c, 2);
            ++i;
            continue;
        }
        if (IsC1(text, i, length)) {
            AppendHex(out, "\\x", uint8_t(text[i]), 2);
            AppendHex(out, "\\x", uint8_t(text[i + 1]), 2);
            i += 2;
            continue;
        }
        if (const char* escape = CommonEscape(c)) {
            out += escape;
        } else if (c == 0x1B) {
            out += "\\e";
        } else if (c < 0x20 || c == 0x7F) {
            AppendHex(out, "\\x", c, 2);
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out;
}

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8Length(text, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const uint8_t c = uint8_t(text[i]);
        const size_t length = Utf8Length(text, i);
        if (length == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"') {
            out += "\\\"";
        } else if (const char* escape = CommonEscape(c)) {
            out += escape;
        } else if (c < 0x20 || c == 0x7F || IsC1(text, i, length)) {
            // As \u escapes, so the line stays safe to print as well.
            const unsigned code = length == 2 ? uint8_t(text[i + 1]) : c;
            AppendHex(out, "\\u", code, 4);
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out + "\"";
}

}  // namespace murk::cli
