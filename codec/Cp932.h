#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace murk {

struct TCp932Result {
    // The CP932 bytes; empty when Ok is false.
    std::string Bytes;
    bool Ok = false;
    // The first character (as UTF-8) that CP932 cannot encode, when Ok is false.
    std::string Unencodable;
    // The system has no converter to CP932 (glibc's gconv module is not
    // installed); Ok is false and nothing was converted.
    bool ConverterMissing = false;
};

// Converts a UTF-8 password to the CP932 (Shift-JIS) bytes that every length
// rule and every codec works on, so files shielded here and on a Japanese
// Windows system open on both. Never throws for a missing converter.
TCp932Result ToCp932(std::string_view utf8);

// The reverse, for stored passwords; empty when the bytes are not CP932 or
// there is no converter.
std::optional<std::string> FromCp932(std::string_view cp932);

}  // namespace murk
