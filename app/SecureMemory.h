#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace murk {

// Bytes of a secret (a password, a key) kept in pages of their own that are
// left out of core dumps and locked in memory where the system allows it, so
// they reach neither a dump nor swap. The content is wiped when it is
// replaced, by Wipe and at destruction. Holds at most Capacity() bytes.
class TSecureBytes {
public:
    explicit TSecureBytes(size_t capacity);
    ~TSecureBytes();
    TSecureBytes(const TSecureBytes&) = delete;
    TSecureBytes& operator=(const TSecureBytes&) = delete;

    // False (and the content left empty) when bytes do not fit or the pages
    // could not be had.
    bool Assign(std::string_view bytes);
    // A secret of size bytes to be filled in place, such as a derived key;
    // empty when size does not fit.
    std::span<uint8_t> Resize(size_t size);
    void Wipe();

    std::string_view View() const { return {reinterpret_cast<const char*>(FData), FSize}; }
    std::span<const uint8_t> Bytes() const { return {FData, FSize}; }
    bool Empty() const { return FSize == 0; }
    size_t Capacity() const { return FCapacity; }
    // Whether the pages are locked; false where the system's limit refused.
    bool Locked() const { return FLocked; }

private:
    uint8_t* FData = nullptr;
    size_t FMapped = 0;
    size_t FCapacity = 0;
    size_t FSize = 0;
    bool FLocked = false;
};

// Wipes a buffer of ordinary memory that held a secret on its way into a
// TSecureBytes (a converted password, say).
void WipeBytes(void* data, size_t size);

}  // namespace murk
