#include "HistorySeal.h"

#include <nettle/gcm.h>
#include <nettle/memops.h>

#include <cstring>

#include "SecureMemory.h"

namespace murk {

namespace {

constexpr char Magic[] = {'M', 'K', 'H', 'S', 'T', '\x1A'};
constexpr uint8_t Version = 1;

static_assert(HistoryKeySize == AES256_KEY_SIZE && HistoryNonceSize == GCM_IV_SIZE &&
              HistoryTagSize == GCM_DIGEST_SIZE);

const uint8_t* Data(const QByteArray& bytes) {
    return reinterpret_cast<const uint8_t*>(bytes.constData());
}

void PutLe32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = uint8_t(value >> (8 * i));
    }
}

uint32_t GetLe32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

// Encrypts or decrypts data in place and computes the tag.
void Crypt(bool encrypt, std::span<const uint8_t> key, const uint8_t* header, uint8_t* data,
           size_t size, uint8_t* tag) {
    gcm_aes256_ctx context;
    gcm_aes256_set_key(&context, key.data());
    gcm_aes256_set_iv(&context, HistoryNonceSize, header + 36);
    gcm_aes256_update(&context, HistoryHeaderSize, header);
    (encrypt ? gcm_aes256_encrypt : gcm_aes256_decrypt)(&context, size, data, data);
    gcm_aes256_digest(&context, HistoryTagSize, tag);
    explicit_bzero(&context, sizeof context);
}

}  // namespace

bool IsSealedHistory(const QByteArray& file) {
    return file.startsWith(QByteArray::fromRawData(Magic, sizeof Magic));
}

bool ReadHistorySeal(const QByteArray& file, THistorySeal& seal) {
    if (!IsSealedHistory(file) || size_t(file.size()) < HistoryHeaderSize + HistoryTagSize) {
        return false;
    }
    const uint8_t* head = Data(file);
    if (head[6] != Version || head[7] != 0) {
        return false;
    }
    seal.Cost = {GetLe32(head + 8), GetLe32(head + 12), GetLe32(head + 16)};
    std::memcpy(seal.Salt.data(), head + 20, HistorySaltSize);
    return CostAcceptable(seal.Cost);
}

QByteArray SealHistory(const QByteArray& text, std::span<const uint8_t> key,
                       const THistorySeal& seal) {
    QByteArray file(qsizetype(HistoryHeaderSize + text.size() + HistoryTagSize), '\0');
    auto* head = reinterpret_cast<uint8_t*>(file.data());
    std::memcpy(head, Magic, sizeof Magic);
    head[6] = Version;
    PutLe32(head + 8, seal.Cost.MemoryKiB);
    PutLe32(head + 12, seal.Cost.Passes);
    PutLe32(head + 16, seal.Cost.Lanes);
    std::memcpy(head + 20, seal.Salt.data(), HistorySaltSize);
    FillRandom({head + 36, HistoryNonceSize});
    uint8_t* data = head + HistoryHeaderSize;
    std::memcpy(data, text.constData(), size_t(text.size()));
    Crypt(true, key, head, data, size_t(text.size()), data + text.size());
    return file;
}

bool OpenHistory(const QByteArray& file, std::span<const uint8_t> key, QByteArray& text) {
    text.clear();
    THistorySeal seal;
    if (!ReadHistorySeal(file, seal) || key.size() != HistoryKeySize) {
        return false;
    }
    const size_t size = size_t(file.size()) - HistoryHeaderSize - HistoryTagSize;
    text.resize(qsizetype(size));
    uint8_t* data = reinterpret_cast<uint8_t*>(text.data());
    std::memcpy(data, Data(file) + HistoryHeaderSize, size);
    uint8_t tag[HistoryTagSize];
    Crypt(false, key, Data(file), data, size, tag);
    if (memeql_sec(tag, Data(file) + HistoryHeaderSize + size, HistoryTagSize) == 0) {
        WipeBytes(data, size);
        text.clear();
        return false;
    }
    return true;
}

}  // namespace murk
