#include "KeyCache.h"

#include <nettle/hmac.h>
#include <nettle/memops.h>

#include <sys/mman.h>

#include <cstring>
#include <new>

#include "Random.h"
#include "jpz.h"

namespace jpz {

namespace {

// Wipes a digest or key on every path out of a call.
template <size_t N>
struct TSecret {
    uint8_t Bytes[N] = {};
    TSecret() = default;
    TSecret(const TSecret&) = delete;
    TSecret& operator=(const TSecret&) = delete;
    ~TSecret() { explicit_bzero(Bytes, N); }
};

}  // namespace

TKeyCache::TState* TKeyCache::State() {
    if (FState != nullptr) {
        return FState;
    }
    void* pages =
        ::mmap(nullptr, sizeof(TState), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) {
        return nullptr;
    }
    if (::madvise(pages, sizeof(TState), MADV_DONTDUMP) != 0) {
        ::munmap(pages, sizeof(TState));
        return nullptr;
    }
    // A limit on locked memory may refuse; the keys still stay out of dumps.
    FLocked = ::mlock(pages, sizeof(TState)) == 0;
    FState = new (pages) TState;
    return FState;
}

bool TKeyCache::PasswordDigest(std::span<const uint8_t> password, uint8_t* digest) {
    TState* state = FState;
    if (!state->HaveSecret) {
        if (!FillRandom(state->Secret)) {
            return false;
        }
        state->HaveSecret = true;
    }
    hmac_sha256_ctx mac;
    hmac_sha256_set_key(&mac, sizeof state->Secret, state->Secret);
    hmac_sha256_update(&mac, password.size(), password.data());
    hmac_sha256_digest(&mac, kDigestSize, digest);
    explicit_bzero(&mac, sizeof mac);
    return true;
}

TKeyCache::TEntry* TKeyCache::Find(const uint8_t* digest, const TKdfCost& cost, const uint8_t* salt,
                                   bool own) {
    for (TEntry& entry : FState->Entries) {
        if (entry.Used && (!own || entry.Own) && entry.Cost == cost &&
            (salt == nullptr || std::memcmp(entry.Salt, salt, kSaltSize) == 0) &&
            memeql_sec(entry.Digest, digest, kDigestSize)) {
            entry.LastUse = ++FState->Clock;
            return &entry;
        }
    }
    return nullptr;
}

void TKeyCache::Store(const uint8_t* digest, const TKdfCost& cost, const uint8_t* salt,
                      const uint8_t* key, bool own) {
    // Wiped between the derivation and now: nothing to keep the key in.
    if (FState == nullptr) {
        return;
    }
    TEntry* slot = Find(digest, cost, salt, false);
    if (slot == nullptr) {
        slot = &FState->Entries[0];
        for (TEntry& entry : FState->Entries) {
            if (!entry.Used) {
                slot = &entry;
                break;
            }
            if (entry.LastUse < slot->LastUse) {
                slot = &entry;
            }
        }
    }
    slot->Used = true;
    slot->Own = slot->Own || own;
    std::memcpy(slot->Digest, digest, kDigestSize);
    std::memcpy(slot->Salt, salt, kSaltSize);
    slot->Cost = cost;
    std::memcpy(slot->Key, key, kKeySize);
    slot->LastUse = ++FState->Clock;
}

int TKeyCache::ShieldKey(std::span<const uint8_t> password, TJpzHeader& header,
                         std::span<uint8_t, kKeySize> masterKey) {
    TSecret<kDigestSize> digest;
    {
        std::lock_guard lock(FMutex);
        if (State() == nullptr) {
            return JPZ_ERR_NO_MEMORY;
        }
        if (!PasswordDigest(password, digest.Bytes)) {
            return JPZ_ERR_RANDOM;
        }
        if (const TEntry* entry = Find(digest.Bytes, kDefaultCost, nullptr, true)) {
            header.Cost = entry->Cost;
            std::memcpy(header.Salt.data(), entry->Salt, kSaltSize);
            std::memcpy(masterKey.data(), entry->Key, kKeySize);
            return JPZ_OK;
        }
    }
    header.Cost = kDefaultCost;
    if (!FillRandom(header.Salt)) {
        return JPZ_ERR_RANDOM;
    }
    const int rc = FDerive(header.Cost, password, header.Salt, masterKey);
    if (rc != JPZ_OK) {
        return rc;
    }
    std::lock_guard lock(FMutex);
    Store(digest.Bytes, header.Cost, header.Salt.data(), masterKey.data(), true);
    return JPZ_OK;
}

int TKeyCache::OpenKey(std::span<const uint8_t> password, const TJpzHeader& header,
                       std::span<uint8_t, kKeySize> masterKey) {
    TSecret<kDigestSize> digest;
    {
        std::lock_guard lock(FMutex);
        if (State() == nullptr) {
            return JPZ_ERR_NO_MEMORY;
        }
        if (!PasswordDigest(password, digest.Bytes)) {
            return JPZ_ERR_RANDOM;
        }
        if (const TEntry* entry = Find(digest.Bytes, header.Cost, header.Salt.data(), false)) {
            std::memcpy(masterKey.data(), entry->Key, kKeySize);
            return JPZ_OK;
        }
    }
    const int rc = FDerive(header.Cost, password, header.Salt, masterKey);
    if (rc != JPZ_OK) {
        return rc;
    }
    std::lock_guard lock(FMutex);
    Store(digest.Bytes, header.Cost, header.Salt.data(), masterKey.data(), false);
    return JPZ_OK;
}

void TKeyCache::Wipe() {
    std::lock_guard lock(FMutex);
    if (FState == nullptr) {
        return;
    }
    explicit_bzero(FState, sizeof(TState));
    if (FLocked) {
        ::munlock(FState, sizeof(TState));
    }
    ::munmap(FState, sizeof(TState));
    FState = nullptr;
    FLocked = false;
}

}  // namespace jpz
