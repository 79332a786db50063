#include "ExtraCodec.h"

#include <algorithm>
#include <vector>

#include "BlockHeader.h"

namespace murk {

namespace {

constexpr std::string_view kKeyPhrase =
    "qzvtrplwnx hgfdsmkbyu eoaicnrtlw pqmxzvbnre twyqplkjhd sgfmwq";
static_assert(kKeyPhrase.size() == 61 && kKeyPhrase.size() > kExtraMaxPassword);

bool PasswordUsable(std::string_view password) {
    return !password.empty() && password.size() <= kExtraMaxPassword;
}

void Mix(std::span<uint8_t> block, std::string_view password, uint8_t key) {
    const size_t length = password.size();
    uint8_t mixing[kExtraMaxPassword];
    for (size_t j = 0; j < length; ++j) {
        mixing[j] = uint8_t(uint8_t(password[j]) + uint8_t(kKeyPhrase[j])) ^ key;
    }
    for (size_t i = 0, j = 0; i < block.size(); ++i) {
        block[i] ^= mixing[j];
        if (++j == length) {
            j = 0;
        }
    }
}

}  // namespace

void MakeKey(TExtraBlockInfo& info) {
    const uint32_t size = uint32_t(info.FileSize);
    info.Key = int32_t((size & 0xFF) + (size >> 8 & 0xFF) + (size >> 16 & 0xFF) + (size >> 24));
}

bool Scramble(std::span<uint8_t> block, std::string_view password, const TExtraBlockInfo& info) {
    if (!PasswordUsable(password) || block.size() < password.size()) {
        return false;
    }
    std::rotate(block.begin(), block.begin() + ptrdiff_t(password.size()), block.end());
    Mix(block, password, uint8_t(info.Key));
    return true;
}

bool Unscramble(std::span<uint8_t> block, std::string_view password, const TExtraBlockInfo& info) {
    if (!PasswordUsable(password) || block.size() < password.size()) {
        return false;
    }
    Mix(block, password, uint8_t(info.Key));
    uint32_t sum = 0;
    for (uint8_t byte : block) {
        sum += byte;
    }
    std::rotate(block.rbegin(), block.rbegin() + ptrdiff_t(password.size()), block.rend());
    return block.size() >= 2 && block[0] == 0xFF && block[1] == 0xD8 && sum == info.CheckSum;
}

int TExtraCodec::Encode() {
    TOutputStream output;
    TMemoryStream& content = PrepareStream();
    if (IsRefused()) {
        return 0;
    }
    if (GetPassword().empty()) {
        return Refuse(TRefusal::EmptyPassword);
    }
    if (!BlockModeInRange()) {
        return Refuse(TRefusal::UnsupportedMode);
    }
    const size_t n = content.Size();
    const size_t blockSize = size_t(GetBlockSize());
    if (n < blockSize) {
        return Refuse(TRefusal::TooShort);
    }
    if (!ShieldedHeadAccepted(content)) {
        return 0;
    }
    std::vector<uint8_t> block(content.Data(), content.Data() + blockSize);
    TExtraBlockInfo info;
    for (uint8_t byte : block) {
        info.CheckSum += byte;
    }
    info.FileSize = int32_t(n);
    info.BlockSize = int32_t(blockSize);
    MakeKey(info);
    if (!Scramble(block, GetPassword(), info)) {
        return Refuse(TRefusal::PasswordTooLong);
    }
    WriteBlockMagic(output, GetMode(), GetBlockSizeNot(), kExtraShortMagic, kExtraLongMagic);
    output.WriteUInt32(info.CheckSum);
    output.Write(block);
    output.WriteView(content.Bytes().subspan(blockSize));
    return SaveShielded(output, msExtra);
}

int TExtraCodec::Decode() {
    TOutputStream output;
    TMemoryStream& content = PrepareStream();
    if (IsRefused()) {
        return 0;
    }
    if (const TRefusal refusal = Restore(content, GetPassword(), output);
        refusal != TRefusal::None) {
        return Refuse(refusal);
    }
    if (!RestoredHeadAccepted(output)) {
        return 0;
    }
    return SaveRestored(output);
}

TRefusal TExtraCodec::Restore(TMemoryStream& content, const std::string& password,
                              TOutputStream& output) {
    if (password.empty()) {
        return TRefusal::EmptyPassword;
    }
    if (password.size() > kExtraMaxPassword) {
        return TRefusal::PasswordTooLong;
    }
    // The checksum follows the magic and the block length.
    TBlockHeader header;
    if (const TRefusal refusal =
            ReadBlockHeader(content.Bytes(), kExtraShortMagic, kExtraLongMagic, 4, header);
        refusal != TRefusal::None) {
        return refusal;
    }
    TExtraBlockInfo info;
    info.CheckSum = ReadUInt32LE(content.Data() + header.Length - 4);
    info.FileSize = int32_t(content.Size() - header.Length);
    info.BlockSize = int32_t(header.Block);
    MakeKey(info);
    // Restored in place: the caller does not reuse the stream.
    const std::span<uint8_t> block = content.Bytes().subspan(header.Length, header.Block);
    if (!Unscramble(block, password, info)) {
        return TRefusal::WrongPassword;
    }
    output.WriteView(content.Bytes().subspan(header.Length));
    return TRefusal::None;
}

}  // namespace murk
