#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "Codec.h"

namespace murk {

// The head of a Normal or Extra file: the magic of the short form (mode 1,
// a 1024-byte block) or of the long form followed by the complemented block
// length, then extraBytes of the format's own (Extra's checksum).
struct TBlockHeader {
    size_t Length = 0;
    size_t Block = 0;
};

void WriteBlockMagic(TOutputStream& output, int32_t mode, uint32_t blockSizeNot,
                     uint32_t shortMagic, uint32_t longMagic);

// TRefusal::None and the header when the file holds a whole header and
// block. Only the low 16 bits of the stored length are read, as written. An
// empty or odd block, never written by this program, is a damaged file.
TRefusal ReadBlockHeader(std::span<const uint8_t> file, uint32_t shortMagic, uint32_t longMagic,
                         size_t extraBytes, TBlockHeader& header);

}  // namespace murk
