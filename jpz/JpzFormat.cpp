#include "JpzFormat.h"

#include <cstring>

namespace jpz {

namespace {

constexpr uint8_t kMagic[4] = {'J', 'P', 'Z', 0x1A};

// Argon2id needs at least 8 KiB of memory per lane.
constexpr uint32_t kMinMemoryKiBPerLane = 8;

void PutUInt32(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        p[i] = uint8_t(value >> (8 * i));
    }
}

uint32_t GetUInt32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

bool CostAcceptable(const TKdfCost& cost) {
    return cost.Lanes >= 1 && cost.Lanes <= kMaxLanes && cost.Passes >= 1 &&
           cost.Passes <= kMaxPasses && cost.MemoryKiB <= kMaxMemoryKiB &&
           uint64_t(cost.MemoryKiB) * cost.Passes <= kMaxWork &&
           cost.MemoryKiB >= kMinMemoryKiBPerLane * cost.Lanes;
}

void WriteHeader(const TJpzHeader& header, std::span<uint8_t, kHeaderSize> bytes) {
    uint8_t* p = bytes.data();
    std::memset(p, 0, kHeaderSize);
    std::memcpy(p, kMagic, sizeof kMagic);
    p[4] = uint8_t(header.Cipher);
    PutUInt32(p + 8, header.Cost.MemoryKiB);
    PutUInt32(p + 12, header.Cost.Passes);
    PutUInt32(p + 16, header.Cost.Lanes);
    std::memcpy(p + 20, header.Salt.data(), kSaltSize);
    std::memcpy(p + 36, header.FileValue.data(), kFileValueSize);
    std::memcpy(p + 52, header.Nonce.data(), kNonceSize);
}

bool ParseHeader(std::span<const uint8_t> file, TJpzHeader& header) {
    if (file.size() < kHeaderSize + kTagSize) {
        return false;
    }
    const uint8_t* p = file.data();
    const bool knownCipher =
        p[4] == uint8_t(TCipher::ChaCha20Poly1305) || p[4] == uint8_t(TCipher::Aes256Gcm);
    if (std::memcmp(p, kMagic, sizeof kMagic) != 0 || !knownCipher || p[5] != 0 || p[6] != 0 ||
        p[7] != 0) {
        return false;
    }
    header.Cipher = TCipher(p[4]);
    header.Cost = {GetUInt32(p + 8), GetUInt32(p + 12), GetUInt32(p + 16)};
    if (!CostAcceptable(header.Cost)) {
        return false;
    }
    std::memcpy(header.Salt.data(), p + 20, kSaltSize);
    std::memcpy(header.FileValue.data(), p + 36, kFileValueSize);
    std::memcpy(header.Nonce.data(), p + 52, kNonceSize);
    return true;
}

}  // namespace jpz
