#include "NormalCodec.h"

#include "BlockHeader.h"

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
    if (!ShieldedHeadAccepted(content)) {
        return 0;
    }
    Complement(content.Data(), block);
    WriteBlockMagic(output, GetMode(), GetBlockSizeNot(), kNormalShortMagic, kNormalLongMagic);
    output.WriteView(content.Bytes());
    return SaveShielded(output, msNormal);
}

int TNormalCodec::Decode() {
    TOutputStream output;
    TMemoryStream& content = PrepareStream();
    if (IsRefused()) {
        return 0;
    }
    if (const TRefusal refusal = Restore(content, output); refusal != TRefusal::None) {
        return Refuse(refusal);
    }
    if (!RestoredHeadAccepted(output)) {
        return 0;
    }
    return SaveRestored(output);
}

TRefusal TNormalCodec::Restore(TMemoryStream& content, TOutputStream& output) {
    TBlockHeader header;
    if (const TRefusal refusal =
            ReadBlockHeader(content.Bytes(), kNormalShortMagic, kNormalLongMagic, 0, header);
        refusal != TRefusal::None) {
        return refusal;
    }
    // The caller does not reuse the stream, so the block is restored in place.
    Complement(content.Data() + header.Length, header.Block);
    output.WriteView(content.Bytes().subspan(header.Length));
    return TRefusal::None;
}

}  // namespace murk
