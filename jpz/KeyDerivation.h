#pragma once

#include <cstdint>
#include <span>

#include "JpzFormat.h"

namespace jpz {

// Argon2id of the password with the salt; answers a JPZ_ result code.
int DeriveMasterKey(const TKdfCost& cost, std::span<const uint8_t> password,
                    std::span<const uint8_t, kSaltSize> salt,
                    std::span<uint8_t, kKeySize> masterKey);

// HKDF-SHA256 of the master key with the file's own value as salt, so each
// file is sealed under a key of its own.
void DeriveFileKey(std::span<const uint8_t, kKeySize> masterKey,
                   std::span<const uint8_t, kFileValueSize> fileValue,
                   std::span<uint8_t, kKeySize> fileKey);

}  // namespace jpz
