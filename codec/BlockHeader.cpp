#include "BlockHeader.h"

namespace murk {

void WriteBlockMagic(TOutputStream& output, int32_t mode, uint32_t blockSizeNot,
                     uint32_t shortMagic, uint32_t longMagic) {
    if (mode == 1) {
        output.WriteUInt32(shortMagic);
    } else {
        output.WriteUInt32(longMagic);
        output.WriteUInt32(blockSizeNot);
    }
}

TRefusal ReadBlockHeader(std::span<const uint8_t> file, uint32_t shortMagic, uint32_t longMagic,
                         size_t extraBytes, TBlockHeader& header) {
    const uint32_t magic = file.size() >= 4 ? ReadUInt32LE(file.data()) : 0;
    if (magic == shortMagic) {
        header = {4 + extraBytes, 1024};
    } else if (magic == longMagic && file.size() >= 8) {
        header = {8 + extraBytes, uint16_t(~ReadUInt16LE(file.data() + 4))};
    } else {
        return TRefusal::WrongFormat;
    }
    if (header.Block == 0 || header.Block % 2 != 0) {
        return TRefusal::WrongFormat;
    }
    return file.size() < header.Length + header.Block ? TRefusal::TooShort : TRefusal::None;
}

}  // namespace murk
