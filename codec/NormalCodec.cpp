#include "NormalCodec.h"

namespace murk {

namespace {

void Complement(uint8_t* block, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        block[i] = uint8_t(~block[i]);
    }
}

}  // namespace

int TNormalCodec::Encode() {
    TOutputStream output;
    TMemoryStream& content = PrepareStream();
    if (IsRefused()) {
        return 0;
    }
    if (!BlockModeInRange()) {
        return Refuse(TRefusal::UnsupportedMode);
    }
    const size_t block = size_t(GetBlockSize());
    if (content.Size() < block) {
        return Refuse(TRefusal::TooShort);
    }
    Complement(content.Data(), block);
    if (GetMode() == 1) {
        output.WriteUInt32(kNormalShortMagic);
    } else {
        output.WriteUInt32(kNormalLongMagic);
        output.WriteUInt32(GetBlockSizeNot());
    }
    output.WriteView(content.Bytes());
    return SaveShielded(output, msNormal);
}

int TNormalCodec::Decode() {
    TOutputStream output;
    TMemoryStream& content = PrepareStream();
    if (IsRefused()) {
        return 0;
    }
    const size_t m = content.Size();
    const uint32_t magic = m >= 4 ? ReadUInt32LE(content.Data()) : 0;
    size_t header = 0;
    size_t block = 0;
    if (magic == kNormalShortMagic) {
        header = 4;
        block = 1024;
    } else if (magic == kNormalLongMagic && m >= 8) {
        header = 8;
        block = uint16_t(~ReadUInt16LE(content.Data() + 4));
    } else {
        return Refuse(TRefusal::WrongFormat);
    }
    // This program never writes an empty or odd block, nor a file shorter
    // than its header and block; such a file is damaged.
    if (block == 0 || block % 2 != 0) {
        return Refuse(TRefusal::WrongFormat);
    }
    if (m < header + block) {
        return Refuse(TRefusal::TooShort);
    }
    // The caller does not reuse the stream, so the block is restored in place.
    Complement(content.Data() + header, block);
    output.WriteView(content.Bytes().subspan(header));
    return SaveRestored(output);
}

}  // namespace murk
