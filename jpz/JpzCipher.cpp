#include "JpzCipher.h"

#include <nettle/chacha-poly1305.h>
#include <nettle/gcm.h>
#include <nettle/memops.h>

#include <cstring>

namespace jpz {

namespace {

static_assert(kKeySize == CHACHA_POLY1305_KEY_SIZE && kNonceSize == CHACHA_POLY1305_NONCE_SIZE &&
              kTagSize == CHACHA_POLY1305_DIGEST_SIZE);
static_assert(kKeySize == AES256_KEY_SIZE && kNonceSize == GCM_IV_SIZE &&
              kTagSize == GCM_DIGEST_SIZE);

// Each encrypts or decrypts data in place and computes the tag into tag.
void ChaChaCrypt(bool encrypt, std::span<const uint8_t, kKeySize> key,
                 std::span<const uint8_t, kNonceSize> nonce, std::span<const uint8_t> header,
                 std::span<uint8_t> data, uint8_t* tag) {
    chacha_poly1305_ctx context;
    chacha_poly1305_set_key(&context, key.data());
    chacha_poly1305_set_nonce(&context, nonce.data());
    chacha_poly1305_update(&context, header.size(), header.data());
    (encrypt ? chacha_poly1305_encrypt : chacha_poly1305_decrypt)(&context, data.size(),
                                                                  data.data(), data.data());
    chacha_poly1305_digest(&context, kTagSize, tag);
    explicit_bzero(&context, sizeof context);
}

void GcmCrypt(bool encrypt, std::span<const uint8_t, kKeySize> key,
              std::span<const uint8_t, kNonceSize> nonce, std::span<const uint8_t> header,
              std::span<uint8_t> data, uint8_t* tag) {
    gcm_aes256_ctx context;
    gcm_aes256_set_key(&context, key.data());
    gcm_aes256_set_iv(&context, nonce.size(), nonce.data());
    gcm_aes256_update(&context, header.size(), header.data());
    (encrypt ? gcm_aes256_encrypt : gcm_aes256_decrypt)(&context, data.size(), data.data(),
                                                        data.data());
    gcm_aes256_digest(&context, kTagSize, tag);
    explicit_bzero(&context, sizeof context);
}

void Crypt(bool encrypt, TCipher cipher, std::span<const uint8_t, kKeySize> key,
           std::span<const uint8_t, kNonceSize> nonce, std::span<const uint8_t> header,
           std::span<uint8_t> data, uint8_t* tag) {
    (cipher == TCipher::ChaCha20Poly1305 ? ChaChaCrypt : GcmCrypt)(encrypt, key, nonce, header,
                                                                   data, tag);
}

}  // namespace

void SealData(TCipher cipher, std::span<const uint8_t, kKeySize> key,
              std::span<const uint8_t, kNonceSize> nonce, std::span<const uint8_t> header,
              std::span<uint8_t> data, std::span<uint8_t, kTagSize> tag) {
    Crypt(true, cipher, key, nonce, header, data, tag.data());
}

bool OpenData(TCipher cipher, std::span<const uint8_t, kKeySize> key,
              std::span<const uint8_t, kNonceSize> nonce, std::span<const uint8_t> header,
              std::span<uint8_t> data, std::span<const uint8_t, kTagSize> tag) {
    uint8_t computed[kTagSize];
    Crypt(false, cipher, key, nonce, header, data, computed);
    if (memeql_sec(computed, tag.data(), kTagSize) == 0) {
        explicit_bzero(data.data(), data.size());
        return false;
    }
    return true;
}

}  // namespace jpz
