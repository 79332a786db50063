#include "HistorySeal.h"

#include <cstring>

#include "JpzCipher.h"

namespace murk {

namespace {

constexpr char Magic[] = {'M', 'K', 'H', 'S', 'T', '\x1A'};
constexpr uint8_t Version = 1;

static_assert(HistoryKeySize == jpz::kKeySize && HistoryNonceSize == jpz::kNonceSize &&
              HistoryTagSize == jpz::kTagSize);

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

// The nonce stands in the header, which is authenticated whole.
std::span<const uint8_t, HistoryNonceSize> Nonce(const uint8_t* header) {
    return std::span<const uint8_t, HistoryNonceSize>(header + 36, HistoryNonceSize);
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
    jpz::SealData(jpz::TCipher::Aes256Gcm, key.first<HistoryKeySize>(), Nonce(head),
                  {head, HistoryHeaderSize}, {data, size_t(text.size())},
                  std::span<uint8_t, HistoryTagSize>(data + text.size(), HistoryTagSize));
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
    const uint8_t* head = Data(file);
    // A wrong tag leaves the text wiped.
    if (!jpz::OpenData(jpz::TCipher::Aes256Gcm, key.first<HistoryKeySize>(), Nonce(head),
                       {head, HistoryHeaderSize}, {data, size},
                       std::span<const uint8_t, HistoryTagSize>(head + HistoryHeaderSize + size,
                                                                HistoryTagSize))) {
        text.clear();
        return false;
    }
    return true;
}

}  // namespace murk
