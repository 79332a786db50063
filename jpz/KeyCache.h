#pragma once

#include <cstdint>
#include <mutex>
#include <span>

#include "JpzFormat.h"

namespace jpz {

// The master keys this process derived, so that a batch of files with one
// password pays for one Argon2id derivation. Passwords are kept only as a
// keyed digest under a secret of the process. Safe to use from any thread;
// derivations run outside the lock.
class TKeyCache {
public:
    using TDerive = int (*)(const TKdfCost& cost, std::span<const uint8_t> password,
                            std::span<const uint8_t, kSaltSize> salt,
                            std::span<uint8_t, kKeySize> masterKey);

    static constexpr size_t kCapacity = 8;

    constexpr explicit TKeyCache(TDerive derive) : FDerive(derive) {}
    TKeyCache(const TKeyCache&) = delete;
    TKeyCache& operator=(const TKeyCache&) = delete;

    // The master key for a new file: the first call with a password draws a
    // salt with the default cost, later calls reuse them. Fills the
    // header's cost and salt. Answers a JPZ_ result code.
    int ShieldKey(std::span<const uint8_t> password, TJpzHeader& header,
                  std::span<uint8_t, kKeySize> masterKey);
    // The master key for the header's salt and cost.
    int OpenKey(std::span<const uint8_t> password, const TJpzHeader& header,
                std::span<uint8_t, kKeySize> masterKey);
    void Wipe();

private:
    static constexpr size_t kDigestSize = 32;

    struct TEntry {
        bool Used = false;
        // Drawn by ShieldKey, so new files may share its salt.
        bool Own = false;
        uint8_t Digest[kDigestSize] = {};
        uint8_t Salt[kSaltSize] = {};
        TKdfCost Cost;
        uint8_t Key[kKeySize] = {};
        uint64_t LastUse = 0;
    };

    bool PasswordDigest(std::span<const uint8_t> password, uint8_t* digest);
    TEntry* Find(const uint8_t* digest, const TKdfCost& cost, const uint8_t* salt, bool own);
    void Store(const uint8_t* digest, const TKdfCost& cost, const uint8_t* salt, const uint8_t* key,
               bool own);

    std::mutex FMutex;
    TDerive FDerive;
    bool FHaveSecret = false;
    uint8_t FSecret[kDigestSize] = {};
    uint64_t FClock = 0;
    TEntry FEntries[kCapacity] = {};
};

}  // namespace jpz
