#include "KeyCache.h"

#include <nettle/hmac.h>
#include <nettle/memops.h>

#include <cstring>

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

bool TKeyCache::PasswordDigest(std::span<const uint8_t> password, uint8_t* digest) {
    if (!FHaveSecret) {
        if (!FillRandom(FSecret)) {
            return false;
        }
        FHaveSecret = true;
    }
    hmac_sha256_ctx mac;
    hmac_sha256_set_key(&mac, sizeof FSecret, FSecret);
    hmac_sha256_update(&mac, password.size(), password.data());
    hmac_sha256_digest(&mac, kDigestSize, digest);
    explicit_bzero(&mac, sizeof mac);
    return true;
}

TKeyCache::TEntry* TKeyCache::Find(const uint8_t* digest, const TKdfCost& cost, const uint8_t* salt,
                                   bool own) {
    for (TEntry& entry : FEntries) {
        if (entry.Used && (!own || entry.Own) && entry.Cost == cost &&
            (salt == nullptr || std::memcmp(entry.Salt, salt, kSaltSize) == 0) &&
            memeql_sec(entry.Digest, digest, kDigestSize)) {
            entry.LastUse = ++FClock;
            return &entry;
        }
    }
    return nullptr;
}

void TKeyCache::Store(const uint8_t* digest, const TKdfCost& cost, const uint8_t* salt,
                      const uint8_t* key, bool own) {
    TEntry* slot = Find(digest, cost, salt, false);
    if (slot == nullptr) {
        slot = &FEntries[0];
        for (TEntry& entry : FEntries) {
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
    slot->LastUse = ++FClock;
}

int TKeyCache::ShieldKey(std::span<const uint8_t> password, TJpzHeader& header,
                         std::span<uint8_t, kKeySize> masterKey) {
    TSecret<kDigestSize> digest;
    {
        std::lock_guard lock(FMutex);
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
    explicit_bzero(FEntries, sizeof FEntries);
    explicit_bzero(FSecret, sizeof FSecret);
    FHaveSecret = false;
    FClock = 0;
}

}  // namespace jpz
