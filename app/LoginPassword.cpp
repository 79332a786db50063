#include "LoginPassword.h"

#include <argon2.h>
#include <nettle/memops.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "PasswordKey.h"
#include "SecureMemory.h"

namespace murk {

namespace {

constexpr size_t VerifierSaltSize = 16;
constexpr size_t VerifierHashSize = 32;
constexpr std::string_view VerifierPrefix = "$argon2id$";

// The cost a verifier names; a verifier of another form gives none.
bool VerifierCost(const std::string& stored, TArgon2Cost& cost) {
    unsigned version = 0;
    char end = 0;
    return std::sscanf(stored.c_str(), "$argon2id$v=%u$m=%u,t=%u,p=%u%c", &version, &cost.MemoryKiB,
                       &cost.Passes, &cost.Lanes, &end) == 5 &&
           end == '$';
}

// Seen as one little-endian number, the bytes are rotated right by count
// bits: bit j of the result is bit j + count of the input.
std::string RotateRight(std::string_view bytes, size_t count) {
    const size_t n = bytes.size();
    std::string rotated(n, '\0');
    if (n == 0) {
        return rotated;
    }
    count %= 8 * n;
    const size_t whole = count / 8;
    const unsigned part = count % 8;
    for (size_t i = 0; i < n; ++i) {
        const unsigned low = uint8_t(bytes[(i + whole) % n]);
        const unsigned high = uint8_t(bytes[(i + whole + 1) % n]);
        rotated[i] = char(part == 0 ? low : (low >> part) | (high << (8 - part)));
    }
    return rotated;
}

}  // namespace

std::string MakeLoginVerifier(std::string_view password) {
    std::array<uint8_t, VerifierSaltSize> salt;
    FillRandom(salt);
    const TArgon2Cost cost = PasswordCost;
    std::vector<char> encoded(argon2_encodedlen(cost.Passes, cost.MemoryKiB, cost.Lanes,
                                                uint32_t(salt.size()), VerifierHashSize,
                                                Argon2_id));
    const int rc = argon2id_hash_encoded(cost.Passes, cost.MemoryKiB, cost.Lanes, password.data(),
                                         password.size(), salt.data(), salt.size(),
                                         VerifierHashSize, encoded.data(), encoded.size());
    return rc == ARGON2_OK ? std::string(encoded.data()) : std::string();
}

TLoginCheck CheckLoginPassword(std::string_view stored, std::string_view password) {
    if (stored.starts_with(VerifierPrefix)) {
        const std::string verifier(stored);
        TArgon2Cost cost;
        if (!VerifierCost(verifier, cost) || !CostAcceptable(cost)) {
            return TLoginCheck::Wrong;
        }
        return argon2id_verify(verifier.c_str(), password.data(), password.size()) == ARGON2_OK
                   ? TLoginCheck::Right
                   : TLoginCheck::Wrong;
    }
    if (!IsOldLoginLayout(stored)) {
        return TLoginCheck::Wrong;
    }
    TSecureBytes decoded(stored.size() / 2);
    std::string plain = DecodeLoginPassword(stored);
    const bool copied = decoded.Assign(plain);
    WipeBytes(plain.data(), plain.size());
    const bool right = copied && decoded.View().size() == password.size() &&
                       memeql_sec(decoded.View().data(), password.data(), password.size()) != 0;
    return right ? TLoginCheck::RightOldLayout : TLoginCheck::Wrong;
}

bool IsOldLoginLayout(std::string_view stored) {
    return !stored.empty() && stored.size() % 2 == 0 &&
           std::all_of(stored.begin(), stored.end(), [](char c) { return c >= '0' && c <= '?'; });
}

std::string EncodeLoginPassword(std::string_view password) {
    std::string stored;
    stored.reserve(password.size() * 2);
    for (const char c : RotateRight(password, 3)) {
        const unsigned inverted = uint8_t(~c);
        stored += char('0' + (inverted & 0x0F));
        stored += char('0' + (inverted >> 4));
    }
    return stored;
}

std::string DecodeLoginPassword(std::string_view stored) {
    std::string scrambled(stored.size() / 2, '\0');
    for (size_t i = 0; i < scrambled.size(); ++i) {
        const int low = uint8_t(stored[2 * i]) - '0';
        const int high = uint8_t(stored[2 * i + 1]) - '0';
        scrambled[i] = char(uint8_t(high * 16 + low));
    }
    if (scrambled.empty()) {
        return scrambled;
    }
    // The encoder's three rotations and these 8 n - 3 make a full turn.
    std::string password = RotateRight(scrambled, scrambled.size() * 8 - 3);
    WipeBytes(scrambled.data(), scrambled.size());
    for (char& c : password) {
        c = char(~c);
    }
    return password;
}

}  // namespace murk
