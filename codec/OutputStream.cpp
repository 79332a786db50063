#include "OutputStream.h"

#include <algorithm>
#include <cstring>

#include "MemoryStream.h"

namespace murk {

void TOutputStream::Write(std::span<const uint8_t> bytes) {
    if (bytes.empty()) {
        return;
    }
    const auto& owned = FOwned.emplace_back(bytes.begin(), bytes.end());
    FPieces.emplace_back(owned.data(), owned.size());
    FSize += bytes.size();
}

void TOutputStream::WriteUInt32(uint32_t value) {
    uint8_t bytes[4];
    PutUInt32LE(bytes, value);
    Write(bytes);
}

void TOutputStream::WriteView(std::span<const uint8_t> bytes) {
    if (bytes.empty()) {
        return;
    }
    FPieces.push_back(bytes);
    FSize += bytes.size();
}

void TOutputStream::Clear() {
    FPieces.clear();
    FOwned.clear();
    FSize = 0;
}

size_t TOutputStream::CopyOut(uint64_t offset, uint8_t* buffer, size_t count) const {
    size_t copied = 0;
    uint64_t start = 0;
    for (const auto& piece : FPieces) {
        if (copied == count) {
            break;
        }
        const uint64_t end = start + piece.size();
        if (offset + copied < end) {
            const size_t from = size_t(offset + copied - start);
            const size_t n = std::min(count - copied, piece.size() - from);
            std::memcpy(buffer + copied, piece.data() + from, n);
            copied += n;
        }
        start = end;
    }
    return copied;
}

std::vector<uint8_t> TOutputStream::ToBytes() const {
    std::vector<uint8_t> bytes;
    bytes.reserve(size_t(FSize));
    for (const auto& piece : FPieces) {
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    }
    return bytes;
}

}  // namespace murk
