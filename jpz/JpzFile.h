#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace jpz {

// A whole file held in memory with room reserved before and after it, so a
// header and a tag can be put around the content without copying it.
class TBuffer {
public:
    uint8_t* Data() { return FData.get(); }
    size_t Size() const { return FSize; }
    std::span<uint8_t> Bytes() { return {FData.get(), FSize}; }
    std::span<uint8_t> Content() { return {FData.get() + FHead, FSize - FHead - FTail}; }

private:
    friend int ReadInput(const char* path, size_t head, size_t tail, TBuffer& buffer);

    std::unique_ptr<uint8_t[]> FData;
    size_t FSize = 0;
    size_t FHead = 0;
    size_t FTail = 0;
};

// Reads the whole regular file at path into buffer's content. Answers
// JPZ_OK, JPZ_ERR_READ or JPZ_ERR_NO_MEMORY.
int ReadInput(const char* path, size_t head, size_t tail, TBuffer& buffer);

// Whether an output is forced to disk before it takes its name.
enum class TSync { ToDisk, Cached };

// Replaces path (the target of a symbolic link) with bytes: an unnamed
// temporary file in the same folder is written, given the mode and owner of
// the file it replaces, flushed when sync asks for it, and renamed over it,
// so path is never seen half written. Answers JPZ_OK or JPZ_ERR_WRITE; on
// failure path is as it was.
int WriteOutput(const char* path, std::span<const uint8_t> bytes, TSync sync);

// Whether both paths name one existing file.
bool SameFile(const char* a, const char* b);

}  // namespace jpz
