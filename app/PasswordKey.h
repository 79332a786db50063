#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace murk {

// Argon2id cost: memory in KiB, passes, lanes.
struct TArgon2Cost {
    uint32_t MemoryKiB = 0;
    uint32_t Passes = 0;
    uint32_t Lanes = 0;

    bool operator==(const TArgon2Cost&) const = default;
};

// OWASP's current minimum for password storage: 19 MiB, 2 passes, 1 lane.
constexpr TArgon2Cost PasswordCost{19 * 1024, 2, 1};

// Whether a cost read from a file may be used: Argon2id accepts it and it is
// no more than 1 GiB, 10 passes, 16 lanes, so an edited settings file cannot
// exhaust the machine.
bool CostAcceptable(const TArgon2Cost& cost);

// Argon2id of the password with the salt, filling key; false when the cost
// is not acceptable or the derivation fails (out of memory).
bool DerivePasswordKey(std::string_view password, std::span<const uint8_t> salt,
                       const TArgon2Cost& cost, std::span<uint8_t> key);

// Fills bytes from the system's cryptographic random source.
void FillRandom(std::span<uint8_t> bytes);

}  // namespace murk
