#pragma once

#include <nettle/twofish.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace murk {

class TMemoryStream;
class TOutputStream;

constexpr size_t kPassKeySize = 32;
constexpr size_t kPassBlockSize = 16;
// The head passes through one working buffer of this size; a longer head is
// never written and never read.
constexpr size_t kPassHeadBuffer = 81920;
constexpr int32_t kPassMaxHeadKiB = int32_t(kPassHeadBuffer / 1024);
// Signature and complemented head length.
constexpr size_t kPassHeaderSize = 8;

// The 256-bit key of a password: the SHA-1 digest of its bytes, as they
// are, followed by twelve 0xFF bytes.
void PassKeyMaterial(std::string_view password, std::span<uint8_t, kPassKeySize> key);

// Twofish under one 256-bit key, chained from an IV that is the encryption
// of sixteen 0xFF bytes. The key schedule, the IV and the chaining value are
// wiped when the object goes, so keep it only for one head pass.
class TPassCipher {
public:
    explicit TPassCipher(std::span<const uint8_t, kPassKeySize> key);
    // Derives the key with PassKeyMaterial and wipes it once it is set.
    explicit TPassCipher(std::string_view password);
    ~TPassCipher();
    TPassCipher(const TPassCipher&) = delete;
    TPassCipher& operator=(const TPassCipher&) = delete;

    void EncryptBlock(const uint8_t* in, uint8_t* out) const;
    // Block chaining in place, each pass starting from the IV. A partial last
    // block is XORed with the encryption of the chaining value in both
    // directions, so a head of any length comes back as it was.
    void EncryptHead(std::span<uint8_t> head);
    void DecryptHead(std::span<uint8_t> head);

private:
    void SetKey(const uint8_t* key);
    void XorPartialBlock(std::span<uint8_t> tail) const;

    twofish_ctx FContext;
    uint8_t FIv[kPassBlockSize];
    uint8_t FChain[kPassBlockSize];
};

enum class TPassContainer {
    Valid,
    // Does not begin with the Ultra signature.
    NotContainer,
    // The stated head length is 0, negative as a signed number, or longer
    // than the head buffer.
    BadHeadLength,
    // Ends before its header or its encrypted head does.
    CutShort,
};

// Checks what can be checked without the password.
TPassContainer InspectPassContainer(std::span<const uint8_t> container);

// Writes into dest (cleared first) the container of source: the signature,
// the complement of the head length H = headKiB x 1024, the encrypted first
// H bytes, and a view of the rest of source, which must outlive dest. False
// for a head size outside 1 to 80 KiB or a source shorter than H; dest is
// then empty.
bool PassEncrypt(const TMemoryStream& source, TOutputStream& dest, std::string_view password,
                 int32_t headKiB);

// Writes into dest (cleared first) the plain image held in the container
// source: the decrypted head and a view of the rest. False for a malformed
// container or when the decrypted head does not begin FF D8, which is what
// a wrong password gives; dest is then empty.
bool PassDecrypt(const TMemoryStream& source, TOutputStream& dest, std::string_view password);

}  // namespace murk
