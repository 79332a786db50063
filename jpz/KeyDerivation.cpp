#include "KeyDerivation.h"

#include <argon2.h>
#include <nettle/hkdf.h>
#include <nettle/hmac.h>

#include <cstring>

#include "jpz.h"

namespace jpz {

namespace {

constexpr char kFileKeyInfo[] = "murkwell jpz 1 file key";

void MacUpdate(void* mac, size_t length, const uint8_t* data) {
    hmac_sha256_update(static_cast<hmac_sha256_ctx*>(mac), length, data);
}

void MacDigest(void* mac, size_t length, uint8_t* digest) {
    hmac_sha256_digest(static_cast<hmac_sha256_ctx*>(mac), length, digest);
}

}  // namespace

int DeriveMasterKey(const TKdfCost& cost, std::span<const uint8_t> password,
                    std::span<const uint8_t, kSaltSize> salt,
                    std::span<uint8_t, kKeySize> masterKey) {
    const int rc =
        argon2id_hash_raw(cost.Passes, cost.MemoryKiB, cost.Lanes, password.data(), password.size(),
                          salt.data(), salt.size(), masterKey.data(), masterKey.size());
    switch (rc) {
        case ARGON2_OK:
            return JPZ_OK;
        case ARGON2_MEMORY_ALLOCATION_ERROR:
        case ARGON2_THREAD_FAIL:
            return JPZ_ERR_NO_MEMORY;
        default:
            return JPZ_ERR_ARGUMENT;
    }
}

void DeriveFileKey(std::span<const uint8_t, kKeySize> masterKey,
                   std::span<const uint8_t, kFileValueSize> fileValue,
                   std::span<uint8_t, kKeySize> fileKey) {
    hmac_sha256_ctx mac;
    uint8_t pseudoRandomKey[SHA256_DIGEST_SIZE];
    hmac_sha256_set_key(&mac, fileValue.size(), fileValue.data());
    hkdf_extract(&mac, MacUpdate, MacDigest, SHA256_DIGEST_SIZE, masterKey.size(), masterKey.data(),
                 pseudoRandomKey);
    hmac_sha256_set_key(&mac, sizeof pseudoRandomKey, pseudoRandomKey);
    hkdf_expand(&mac, MacUpdate, MacDigest, SHA256_DIGEST_SIZE, sizeof kFileKeyInfo - 1,
                reinterpret_cast<const uint8_t*>(kFileKeyInfo), fileKey.size(), fileKey.data());
    explicit_bzero(pseudoRandomKey, sizeof pseudoRandomKey);
    explicit_bzero(&mac, sizeof mac);
}

}  // namespace jpz
