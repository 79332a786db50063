#pragma once

#include <string>
#include <string_view>

namespace murk {

// The stored form of a login password (the value "date2"): an Argon2id
// verifier of its CP932 bytes in the PHC string form, with a random salt of
// its own and the cost of PasswordCost. Empty when it cannot be made.
std::string MakeLoginVerifier(std::string_view password);

enum class TLoginCheck {
    Wrong,
    Right,
    // Right, but the stored form is the reversible layout of earlier
    // versions and is to be replaced by a verifier.
    RightOldLayout,
};

// Checks a typed password against a stored form, either a verifier or the
// layout of earlier versions. A verifier asking for a cost beyond what
// CostAcceptable allows is never right.
TLoginCheck CheckLoginPassword(std::string_view stored, std::string_view password);

// The layout of earlier versions: two characters from "0" to "?" per byte,
// a reversible scramble. Read once at the first login and then replaced.
bool IsOldLoginLayout(std::string_view stored);
std::string EncodeLoginPassword(std::string_view password);
std::string DecodeLoginPassword(std::string_view stored);

}  // namespace murk
