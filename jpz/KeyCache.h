#pragma once

#include <cstdint>
#include <mutex>
#include <span>

#include "JpzFormat.h"

namespace jpz {

// The master keys this process derived, so that a batch of files with one
// password pays for one Argon2id derivation. Passwords are kept only as a
// keyed digest under a secret of the process. Keys, digests and the secret
// live in pages of their own, left out of core dumps and locked in memory
// where the system allows; Wipe and the destructor (when the library is
// unloaded) overwrite and release them. Safe to use from any thread;
// derivations run outside the lock.
class TKeyCache {
public:
    using TDerive = int (*)(const TKdfCost& cost, std::span<const uint8_t> password,
                            std::span<const uint8_t, kSaltSize> salt,
                            std::span<uint8_t, kKeySize> masterKey);

    static constexpr size_t kCapacity = 8;

    constexpr explicit TKeyCache(TDerive derive) : FDerive(derive) {}
    ~TKeyCache() { Wipe(); }
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

    // Where the keys are kept; null before the first key and after Wipe.
    const void* Storage() const { return FState; }

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

    struct TState {
        bool HaveSecret = false;
        uint8_t Secret[kDigestSize] = {};
        uint64_t Clock = 0;
        TEntry Entries[kCapacity] = {};
    };

    // The pages of the keys, mapped at first use; null when they cannot be
    // had. Called under the lock.
    TState* State();
    // These run under the lock, once State() has mapped the pages.
    bool PasswordDigest(std::span<const uint8_t> password, uint8_t* digest);
    TEntry* Find(const uint8_t* digest, const TKdfCost& cost, const uint8_t* salt, bool own);
    void Store(const uint8_t* digest, const TKdfCost& cost, const uint8_t* salt, const uint8_t* key,
               bool own);

    std::mutex FMutex;
    TDerive FDerive;
    TState* FState = nullptr;
    bool FLocked = false;
};

}  // namespace jpz
