#pragma once

#include <cstdint>
#include <span>

#include "JpzFormat.h"

namespace jpz {

// Authenticated encryption in place over data, with the header bytes as
// associated data.
void SealData(TCipher cipher, std::span<const uint8_t, kKeySize> key,
              std::span<const uint8_t, kNonceSize> nonce, std::span<const uint8_t> header,
              std::span<uint8_t> data, std::span<uint8_t, kTagSize> tag);

// Decrypts in place; false when the tag does not match (wrong key or any
// change to header, data or tag), and then data holds no plain text.
bool OpenData(TCipher cipher, std::span<const uint8_t, kKeySize> key,
              std::span<const uint8_t, kNonceSize> nonce, std::span<const uint8_t> header,
              std::span<uint8_t> data, std::span<const uint8_t, kTagSize> tag);

}  // namespace jpz
