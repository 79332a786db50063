#include "MemoryStream.h"

#include <algorithm>
#include <cstring>

#include "FileSystem.h"

namespace murk {

TMemoryStream::TMemoryStream(std::span<const uint8_t> bytes) {
    Write(bytes);
}

void TMemoryStream::Reserve(size_t capacity) {
    if (capacity <= FCapacity) {
        return;
    }
    auto data = std::make_unique_for_overwrite<uint8_t[]>(capacity);
    if (FSize > 0) {
        std::memcpy(data.get(), FData.get(), FSize);
    }
    FData = std::move(data);
    FCapacity = capacity;
}

void TMemoryStream::SetSize(size_t size) {
    Reserve(size);
    FSize = size;
    FPosition = std::min(FPosition, FSize);
}

void TMemoryStream::Clear() {
    FData.reset();
    FSize = FCapacity = FPosition = 0;
    FSource.reset();
    FLinks = 1;
    FHold.reset();
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
    const size_t n = FPosition < FSize ? std::min(count, FSize - FPosition) : 0;
    if (n > 0) {
        std::memcpy(buffer, FData.get() + FPosition, n);
    }
    FPosition += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) {
        return;
    }
    const size_t end = FPosition + count;
    if (end > FCapacity) {
        Reserve(std::max(end, FCapacity + FCapacity / 2));
    }
    std::memcpy(FData.get() + FPosition, buffer, count);
    FPosition = end;
    FSize = std::max(FSize, end);
}

void TMemoryStream::WriteUInt32(uint32_t value) {
    uint8_t bytes[4];
    PutUInt32LE(bytes, value);
    Write(bytes, sizeof bytes);
}

void TMemoryStream::LoadFromFile(const std::string& path, bool hold) {
    Clear();
    TFileContent content = hold ? HoldAndReadFile(path) : ReadWholeFile(path);
    FData = std::move(content.Data);
    FSize = FCapacity = content.Size;
    if (FData) {
        FSource = content.Identity;
    }
    FLinks = content.Links;
    FHold = std::move(content.Hold);
}

void TMemoryStream::LoadQuietly(const std::string& path) {
    Clear();
    TFileContent content = ReadWholeFile(path, true);
    FData = std::move(content.Data);
    FSize = FCapacity = content.Size;
    FSource = content.Identity;
    FLinks = content.Links;
}

uint32_t ReadUInt32LE(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t ReadUInt16LE(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

void PutUInt32LE(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

}  // namespace murk
