#include "jpz.h"

#include <array>
#include <cstring>
#include <new>

#include "JpzCipher.h"
#include "JpzFile.h"
#include "JpzFormat.h"
#include "KeyCache.h"
#include "KeyDerivation.h"
#include "Random.h"

namespace jpz {

namespace {

// Its destructor wipes the keys when the library is unloaded.
constinit TKeyCache gKeyCache(DeriveMasterKey);

// The keys of one call, wiped on every way out of it.
struct TKeys {
    std::array<uint8_t, kKeySize> Master = {};
    std::array<uint8_t, kKeySize> File = {};

    TKeys() = default;
    TKeys(const TKeys&) = delete;
    TKeys& operator=(const TKeys&) = delete;
    ~TKeys() {
        explicit_bzero(Master.data(), Master.size());
        explicit_bzero(File.data(), File.size());
    }
};

bool ArgumentsUsable(const char* jpz, const char* jpg, const char* password) {
    return jpz != nullptr && jpg != nullptr && password != nullptr && *jpz != '\0' &&
           *jpg != '\0' && *password != '\0' && !SameFile(jpz, jpg);
}

std::span<const uint8_t> PasswordBytes(const char* password) {
    return {reinterpret_cast<const uint8_t*>(password), std::strlen(password)};
}

int Shield(const char* jpz, const char* jpg, const char* password) {
    if (!ArgumentsUsable(jpz, jpg, password)) {
        return JPZ_ERR_ARGUMENT;
    }
    TBuffer file;
    int rc = ReadInput(jpg, kHeaderSize, kTagSize, file);
    if (rc != JPZ_OK) {
        return rc;
    }
    const std::span<uint8_t> picture = file.Content();
    if (picture.size() < 2 || picture[0] != 0xFF || picture[1] != 0xD8) {
        return JPZ_ERR_FORMAT;
    }
    TJpzHeader header;
    TKeys keys;
    rc = gKeyCache.ShieldKey(PasswordBytes(password), header, keys.Master);
    if (rc != JPZ_OK) {
        return rc;
    }
    if (!FillRandom(header.FileValue) || !FillRandom(header.Nonce)) {
        return JPZ_ERR_RANDOM;
    }
    const std::span<uint8_t, kHeaderSize> head = file.Bytes().first<kHeaderSize>();
    WriteHeader(header, head);
    DeriveFileKey(keys.Master, header.FileValue, keys.File);
    SealData(header.Cipher, keys.File, header.Nonce, head, picture, file.Bytes().last<kTagSize>());
    // The JPEG is left as it was, so a crash loses no picture if the new
    // file is not yet on disk; a caller that keeps it forces it there.
    return WriteOutput(jpz, file.Bytes(), TSync::Cached);
}

int Restore(const char* jpz, const char* jpg, const char* password) {
    if (!ArgumentsUsable(jpz, jpg, password)) {
        return JPZ_ERR_ARGUMENT;
    }
    TBuffer file;
    int rc = ReadInput(jpz, 0, 0, file);
    if (rc != JPZ_OK) {
        return rc;
    }
    TJpzHeader header;
    if (!ParseHeader(file.Bytes(), header)) {
        return JPZ_ERR_FORMAT;
    }
    TKeys keys;
    rc = gKeyCache.OpenKey(PasswordBytes(password), header, keys.Master);
    if (rc != JPZ_OK) {
        return rc;
    }
    DeriveFileKey(keys.Master, header.FileValue, keys.File);
    const std::span<uint8_t> sealed = file.Bytes().subspan(kHeaderSize);
    const std::span<uint8_t> picture = sealed.first(sealed.size() - kTagSize);
    if (!OpenData(header.Cipher, keys.File, header.Nonce, file.Bytes().first(kHeaderSize), picture,
                  sealed.last<kTagSize>())) {
        return JPZ_ERR_AUTH;
    }
    // The picture usually takes the place of the only protected copy.
    return WriteOutput(jpg, picture, TSync::ToDisk);
}

}  // namespace

}  // namespace jpz

extern "C" int32_t JPGtoJPZ(const char* jpz, const char* jpg, const char* password) {
    try {
        return jpz::Shield(jpz, jpg, password);
    } catch (const std::bad_alloc&) {
        return JPZ_ERR_NO_MEMORY;
    }
}

extern "C" int32_t JPZtoJPG(const char* jpz, const char* jpg, const char* password) {
    try {
        return jpz::Restore(jpz, jpg, password);
    } catch (const std::bad_alloc&) {
        return JPZ_ERR_NO_MEMORY;
    }
}
