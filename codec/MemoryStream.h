#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "FileHold.h"
#include "FileSystem.h"

namespace murk {

// A growable byte buffer with a size and a read/write position. A codec
// holds a whole file in one of these.
class TMemoryStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::span<const uint8_t> bytes);
    TMemoryStream(TMemoryStream&&) noexcept = default;
    TMemoryStream& operator=(TMemoryStream&&) noexcept = default;

    uint8_t* Data() { return FData.get(); }
    const uint8_t* Data() const { return FData.get(); }
    size_t Size() const { return FSize; }
    std::span<uint8_t> Bytes() { return {FData.get(), FSize}; }
    std::span<const uint8_t> Bytes() const { return {FData.get(), FSize}; }

    size_t Position() const { return FPosition; }
    void SetPosition(size_t position) { FPosition = position; }
    // New bytes past the old size are left uninitialised; callers write them.
    void SetSize(size_t size);
    void Clear();

    // Reads at most count bytes at the position; returns how many were read.
    size_t Read(void* buffer, size_t count);
    // Writes at the position, overwriting and extending the buffer.
    void Write(const void* buffer, size_t count);
    void Write(std::span<const uint8_t> bytes) { Write(bytes.data(), bytes.size()); }
    void WriteUInt32(uint32_t value);

    // Replaces the content by the whole file; throws FileOpenError when the
    // file cannot be opened, FileTooLargeError when it cannot be held in
    // memory and FileIoError when it cannot be read. With hold, the file is
    // taken with a TFileHold (kept until the stream is cleared or goes), as
    // for every file a codec is to rewrite.
    void LoadFromFile(const std::string& path, bool hold = true);
    // Loads the file without a hold and, where the system allows it,
    // without moving its access time, for checks that leave it alone.
    void LoadQuietly(const std::string& path);
    // The file the content was loaded from, as it was then; empty for
    // content made in memory.
    const std::optional<TFileIdentity>& Source() const { return FSource; }
    // The file's hard links then.
    uint64_t Links() const { return FLinks; }
    const TFileHold* Hold() const { return FHold.get(); }

private:
    void Reserve(size_t capacity);

    std::unique_ptr<uint8_t[]> FData;
    size_t FSize = 0;
    size_t FCapacity = 0;
    size_t FPosition = 0;
    std::optional<TFileIdentity> FSource;
    uint64_t FLinks = 1;
    std::unique_ptr<TFileHold> FHold;
};

uint32_t ReadUInt32LE(const uint8_t* p);
uint16_t ReadUInt16LE(const uint8_t* p);
void PutUInt32LE(uint8_t* p, uint32_t value);

}  // namespace murk
