#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <span>

#include "PasswordKey.h"

namespace murk {

// A sealed "murkw.hst": the history's text encrypted and authenticated with
// AES-256-GCM under an Argon2id key of the login password. The header is the
// associated data:
//
//   offset  size  content
//        0     6  magic "MKHST" 1A
//        6     1  version 1
//        7     1  zero
//        8     4  Argon2id memory cost in KiB, little-endian
//       12     4  Argon2id passes, little-endian
//       16     4  Argon2id lanes, little-endian
//       20    16  salt of the key
//       36    12  nonce, new at every sealing
//       48     n  the encrypted text
//     48+n    16  tag
constexpr size_t HistoryKeySize = 32;
constexpr size_t HistorySaltSize = 16;
constexpr size_t HistoryNonceSize = 12;
constexpr size_t HistoryHeaderSize = 48;
constexpr size_t HistoryTagSize = 16;

struct THistorySeal {
    TArgon2Cost Cost;
    std::array<uint8_t, HistorySaltSize> Salt = {};
};

// Whether the file begins like a sealed history (of any version).
bool IsSealedHistory(const QByteArray& file);

// The cost and salt of a sealed history; false when the file is too short,
// of another version, or asks for a cost that is not acceptable.
bool ReadHistorySeal(const QByteArray& file, THistorySeal& seal);

// The sealed file of text under key, with a new random nonce.
QByteArray SealHistory(const QByteArray& text, std::span<const uint8_t> key,
                       const THistorySeal& seal);

// The text of a sealed file; false when the key is wrong or anything in the
// file was changed, and text is then left empty.
bool OpenHistory(const QByteArray& file, std::span<const uint8_t> key, QByteArray& text);

}  // namespace murk
