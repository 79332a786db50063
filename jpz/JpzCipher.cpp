#include "JpzCipher.h"

#include <nettle/chacha-poly1305.h>
#include <nettle/memops.h>

#include <cstring>

namespace jpz {

namespace {

static_assert(kKeySize == CHACHA_POLY1305_KEY_SIZE && kNonceSize == CHACHA_POLY1305_NONCE_SIZE &&
              kTagSize == CHACHA_POLY1305_DIGEST_SIZE);

void Start(chacha_poly1305_ctx& context, std::span<const uint8_t, kKeySize> key,
           std::span<const uint8_t, kNonceSize> nonce, std::span<const uint8_t> header) {
    chacha_poly1305_set_key(&context, key.data());
    chacha_poly1305_set_nonce(&context, nonce.data());
    chacha_poly1305_update(&context, header.size(), header.data());
}

}  // namespace

void SealData(std::span<const uint8_t, kKeySize> key, std::span<const uint8_t, kNonceSize> nonce,
              std::span<const uint8_t> header, std::span<uint8_t> data,
              std::span<uint8_t, kTagSize> tag) {
    chacha_poly1305_ctx context;
    Start(context, key, nonce, header);
    chacha_poly1305_encrypt(&context, data.size(), data.data(), data.data());
    chacha_poly1305_digest(&context, tag.size(), tag.data());
    explicit_bzero(&context, sizeof context);
}

bool OpenData(std::span<const uint8_t, kKeySize> key, std::span<const uint8_t, kNonceSize> nonce,
              std::span<const uint8_t> header, std::span<uint8_t> data,
              std::span<const uint8_t, kTagSize> tag) {
    chacha_poly1305_ctx context;
    Start(context, key, nonce, header);
    chacha_poly1305_decrypt(&context, data.size(), data.data(), data.data());
    uint8_t computed[kTagSize];
    chacha_poly1305_digest(&context, sizeof computed, computed);
    explicit_bzero(&context, sizeof context);
    if (memeql_sec(computed, tag.data(), kTagSize) == 0) {
        explicit_bzero(data.data(), data.size());
        return false;
    }
    return true;
}

}  // namespace jpz
