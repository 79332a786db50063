#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "Codec.h"

namespace murk {

struct TExtraBlockInfo {
    int32_t Key = 0;
    int32_t FileSize = 0;
    uint32_t CheckSum = 0;
    int32_t BlockSize = 0;
};

// Passwords of more bytes than this are refused; the block transform uses
// as many characters of its key phrase as the password has bytes.
constexpr size_t kExtraMaxPassword = 56;

void MakeKey(TExtraBlockInfo& info);
bool Scramble(std::span<uint8_t> block, std::string_view password, const TExtraBlockInfo& info);
bool Unscramble(std::span<uint8_t> block, std::string_view password, const TExtraBlockInfo& info);

// Rotates the head by the password's length and mixes it with the
// password, a key phrase and a key byte from the file's length; a checksum
// of the plain head detects a wrong password.
class TExtraCodec : public TCodec {
public:
    using TCodec::TCodec;
    int Encode() override;
    int Decode() override;
    // The restore without its checks of the file: output gets the plain
    // content, the head restored in content itself.
    static TRefusal Restore(TMemoryStream& content, const std::string& password,
                            TOutputStream& output);
};

}  // namespace murk
