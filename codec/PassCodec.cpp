#include "PassCodec.h"

#include <nettle/sha1.h>
#include <string.h>

#include <cstring>
#include <exception>

#include "MemoryStream.h"
#include "OutputStream.h"
#include "murkcheck.h"

namespace murk {

namespace {

void XorBlock(uint8_t* block, const uint8_t* with) {
    for (size_t i = 0; i < kPassBlockSize; ++i) {
        block[i] ^= with[i];
    }
}

uint32_t StatedHeadLength(std::span<const uint8_t> container) {
    return ~ReadUInt32LE(container.data() + 4);
}

}  // namespace

void PassKeyMaterial(std::string_view password, std::span<uint8_t, kPassKeySize> key) {
    std::memset(key.data(), 0xFF, key.size());
    sha1_ctx context;
    sha1_init(&context);
    sha1_update(&context, password.size(), reinterpret_cast<const uint8_t*>(password.data()));
    sha1_digest(&context, SHA1_DIGEST_SIZE, key.data());
    explicit_bzero(&context, sizeof context);
}

TPassCipher::TPassCipher(std::span<const uint8_t, kPassKeySize> key) {
    SetKey(key.data());
}

TPassCipher::TPassCipher(std::string_view password) {
    uint8_t key[kPassKeySize];
    PassKeyMaterial(password, key);
    SetKey(key);
    explicit_bzero(key, sizeof key);
}

TPassCipher::~TPassCipher() {
    explicit_bzero(&FContext, sizeof FContext);
    explicit_bzero(FIv, sizeof FIv);
    explicit_bzero(FChain, sizeof FChain);
}

void TPassCipher::SetKey(const uint8_t* key) {
    twofish256_set_key(&FContext, key);
    uint8_t ones[kPassBlockSize];
    std::memset(ones, 0xFF, sizeof ones);
    EncryptBlock(ones, FIv);
    std::memcpy(FChain, FIv, sizeof FChain);
}

void TPassCipher::EncryptBlock(const uint8_t* in, uint8_t* out) const {
    twofish_encrypt(&FContext, kPassBlockSize, out, in);
}

void TPassCipher::XorPartialBlock(std::span<uint8_t> tail) const {
    uint8_t pad[kPassBlockSize];
    EncryptBlock(FChain, pad);
    for (size_t i = 0; i < tail.size(); ++i) {
        tail[i] ^= pad[i];
    }
    explicit_bzero(pad, sizeof pad);
}

void TPassCipher::EncryptHead(std::span<uint8_t> head) {
    std::memcpy(FChain, FIv, sizeof FChain);
    const size_t whole = head.size() - head.size() % kPassBlockSize;
    for (size_t offset = 0; offset < whole; offset += kPassBlockSize) {
        uint8_t* block = head.data() + offset;
        XorBlock(block, FChain);
        EncryptBlock(block, block);
        std::memcpy(FChain, block, sizeof FChain);
    }
    XorPartialBlock(head.subspan(whole));
}

void TPassCipher::DecryptHead(std::span<uint8_t> head) {
    std::memcpy(FChain, FIv, sizeof FChain);
    const size_t whole = head.size() - head.size() % kPassBlockSize;
    uint8_t cipherText[kPassBlockSize];
    for (size_t offset = 0; offset < whole; offset += kPassBlockSize) {
        uint8_t* block = head.data() + offset;
        std::memcpy(cipherText, block, sizeof cipherText);
        twofish_decrypt(&FContext, kPassBlockSize, block, block);
        XorBlock(block, FChain);
        std::memcpy(FChain, cipherText, sizeof FChain);
    }
    explicit_bzero(cipherText, sizeof cipherText);
    XorPartialBlock(head.subspan(whole));
}

TPassContainer InspectPassContainer(std::span<const uint8_t> container) {
    if (container.size() < 4 || ReadUInt32LE(container.data()) != kUltraMagic) {
        return TPassContainer::NotContainer;
    }
    if (container.size() < kPassHeaderSize) {
        return TPassContainer::CutShort;
    }
    const uint32_t length = StatedHeadLength(container);
    if (int32_t(length) <= 0 || length > kPassHeadBuffer) {
        return TPassContainer::BadHeadLength;
    }
    if (container.size() < kPassHeaderSize + length) {
        return TPassContainer::CutShort;
    }
    return TPassContainer::Valid;
}

bool PassEncrypt(const TMemoryStream& source, TOutputStream& dest, std::string_view password,
                 int32_t headKiB) {
    dest.Clear();
    if (headKiB < 1 || headKiB > kPassMaxHeadKiB) {
        return false;
    }
    const size_t length = size_t(headKiB) * 1024;
    if (source.Size() < length) {
        return false;
    }
    // Memory running out while dest grows is a refusal like any other.
    try {
        uint8_t head[kPassHeadBuffer];
        std::memcpy(head, source.Data(), length);
        {
            TPassCipher cipher(password);
            cipher.EncryptHead({head, length});
        }
        dest.WriteUInt32(kUltraMagic);
        dest.WriteUInt32(~uint32_t(length));
        dest.Write({head, length});
        dest.WriteView(source.Bytes().subspan(length));
    } catch (const std::exception&) {
        dest.Clear();
        return false;
    }
    return true;
}

bool PassDecrypt(const TMemoryStream& source, TOutputStream& dest, std::string_view password) {
    dest.Clear();
    const std::span<const uint8_t> container = source.Bytes();
    if (InspectPassContainer(container) != TPassContainer::Valid) {
        return false;
    }
    const size_t length = StatedHeadLength(container);
    try {
        uint8_t head[kPassHeadBuffer];
        std::memcpy(head, container.data() + kPassHeaderSize, length);
        {
            TPassCipher cipher(password);
            cipher.DecryptHead({head, length});
        }
        // The start-of-image marker is the only test of the password.
        if (length < 2 || head[0] != 0xFF || head[1] != 0xD8) {
            return false;
        }
        dest.Write({head, length});
        dest.WriteView(container.subspan(kPassHeaderSize + length));
    } catch (const std::exception&) {
        dest.Clear();
        return false;
    }
    return true;
}

}  // namespace murk
