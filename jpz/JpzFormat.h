#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace jpz {

constexpr size_t kSaltSize = 16;
constexpr size_t kFileValueSize = 16;
constexpr size_t kNonceSize = 12;
constexpr size_t kKeySize = 32;
constexpr size_t kTagSize = 16;
constexpr size_t kHeaderSize = 64;

struct TKdfCost {
    uint32_t MemoryKiB = 0;
    uint32_t Passes = 0;
    uint32_t Lanes = 0;

    bool operator==(const TKdfCost&) const = default;
};

// The lowest Argon2id cost that current password-storage guidance accepts.
constexpr TKdfCost kDefaultCost{19 * 1024, 2, 1};

// A file asking for more is refused before any derivation, so a hostile one
// costs at most four times what a file of this library costs: four times
// its memory, passes and lanes, and four times its memory times passes.
constexpr uint32_t kCostFactor = 4;
constexpr uint32_t kMaxMemoryKiB = kCostFactor * kDefaultCost.MemoryKiB;
constexpr uint32_t kMaxPasses = kCostFactor * kDefaultCost.Passes;
constexpr uint32_t kMaxLanes = kCostFactor * kDefaultCost.Lanes;
constexpr uint64_t kMaxWork = uint64_t(kCostFactor) * kDefaultCost.MemoryKiB * kDefaultCost.Passes;

// Whether Argon2id accepts the cost and it stays within the limits above.
bool CostAcceptable(const TKdfCost& cost);

// The version byte of a ".jpz" file names its cipher. Files are written with
// the newest; the older is still opened.
enum class TCipher : uint8_t {
    ChaCha20Poly1305 = 1,
    Aes256Gcm = 2,
};
constexpr TCipher kNewFileCipher = TCipher::Aes256Gcm;

struct TJpzHeader {
    TCipher Cipher = kNewFileCipher;
    TKdfCost Cost;
    std::array<uint8_t, kSaltSize> Salt = {};
    std::array<uint8_t, kFileValueSize> FileValue = {};
    std::array<uint8_t, kNonceSize> Nonce = {};
};

void WriteHeader(const TJpzHeader& header, std::span<uint8_t, kHeaderSize> bytes);

// Reads the header at the start of a whole ".jpz" file. False for a file
// too short to hold the header and the tag, of another magic, of a version
// that names no cipher, or whose cost is not acceptable.
bool ParseHeader(std::span<const uint8_t> file, TJpzHeader& header);

}  // namespace jpz
