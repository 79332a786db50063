#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace murk {

class TMemoryStream;
class TOutputStream;

using TMurkState = int32_t;

enum : TMurkState {
    msJpeg = 0,
    msNormal = 1,
    msExtra = 2,
    msJpgPlus = 3,
    msOther = 4,
    msUltra = 5,
    msJpz = 7,
};

// Magic numbers, read little-endian from the first four bytes of a file.
enum : uint32_t {
    kNormalShortMagic = 0x968c988f,
    kNormalLongMagic = 0xce8c988f,
    kExtraShortMagic = 0xcb8c988f,
    kExtraLongMagic = 0xca8c988f,
    kUltraMagic = 0xc78c988f,
    kJpzMagic = 0x878c988f,
};

// Shorter files are never taken for a JPEG or a shielded file.
constexpr int64_t kMinClassifiedSize = 20;

// The seven-character text of a state; empty for a value that has none.
const char* StateText(TMurkState state);

// The classification from what it depends on: the size, the first four
// bytes and the last two (fewer when the file is shorter).
TMurkState Classify(int64_t size, std::span<const uint8_t> head, std::span<const uint8_t> tail);

// What classification reads of a file: its size, its first four bytes and
// its last two (fewer when the file is shorter).
struct TFileHead {
    int64_t Size = 0;
    uint8_t Head[4] = {};
    size_t HeadCount = 0;
    uint8_t Tail[2] = {};
    size_t TailCount = 0;

    TMurkState State() const { return Classify(Size, {Head, HeadCount}, {Tail, TailCount}); }
};

// Empty when the file cannot be opened or is not a regular file.
std::optional<TFileHead> ReadFileHead(const std::string& name);

// The outcome of the most recent classification or codec report.
extern TMurkState LastState;
extern std::string LastStateText;
extern int64_t LastSize;

class TMurkCheck {
public:
    TMurkCheck();

    TMurkState CheckStream(const TMemoryStream& stream);
    TMurkState CheckStream(const TOutputStream& stream);
    // Reads only the size, the first four bytes and the last two.
    TMurkState CheckFile(const std::string& name);
    void SetState(TMurkState state);
    void SetSize(int64_t size);

    TMurkState State() const { return FState; }
    const std::string& StateTextValue() const { return FStateText; }
    int64_t Size() const { return FSize; }

private:
    TMurkState CheckBytes(int64_t size, std::span<const uint8_t> head,
                          std::span<const uint8_t> tail);

    TMurkState FState = msOther;
    std::string FStateText;
    int64_t FSize = 0;
};

}  // namespace murk
