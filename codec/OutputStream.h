#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

namespace murk {

// The new content of a file, built as a sequence of pieces: small byte runs
// of its own (headers, transformed blocks) and views into the input stream
// for the untouched rest. It is written out in one go, so a shield never
// holds a second whole copy of a large picture. Views must outlive it.
class TOutputStream {
public:
    TOutputStream() = default;
    TOutputStream(const TOutputStream&) = delete;
    TOutputStream& operator=(const TOutputStream&) = delete;

    void Write(std::span<const uint8_t> bytes);
    void WriteUInt32(uint32_t value);
    void WriteView(std::span<const uint8_t> bytes);
    void Clear();

    uint64_t Size() const { return FSize; }
    const std::vector<std::span<const uint8_t>>& Pieces() const { return FPieces; }
    // Copies up to count bytes from the given offset; returns how many.
    size_t CopyOut(uint64_t offset, uint8_t* buffer, size_t count) const;
    std::vector<uint8_t> ToBytes() const;

private:
    std::deque<std::vector<uint8_t>> FOwned;
    std::vector<std::span<const uint8_t>> FPieces;
    uint64_t FSize = 0;
};

}  // namespace murk
