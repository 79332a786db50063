// Classification of a stream, held whole or in pieces, agrees with the
// classification from the size and the first and last bytes alone.
#include "FuzzFile.h"
#include "OutputStream.h"
#include "murkcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace murk;
    const std::span<const uint8_t> bytes(data, size);
    const TMurkState whole = TMurkCheck().CheckStream(TMemoryStream(bytes));
    murkfuzz::Require(LastSize == int64_t(size), "published size");

    TOutputStream pieces;
    const size_t cut = size > 0 ? data[0] % (size + 1) : 0;
    pieces.WriteView(bytes.first(cut));
    pieces.Write(bytes.subspan(cut, (size - cut) / 2));
    pieces.WriteView(bytes.subspan(cut + (size - cut) / 2));
    const TMurkState pieced = TMurkCheck().CheckStream(pieces);
    murkfuzz::Require(pieces.ToBytes() == murkfuzz::TBytes(data, data + size), "pieces");

    const TMurkState direct = Classify(int64_t(size), bytes.first(std::min<size_t>(size, 4)),
                                       bytes.last(std::min<size_t>(size, 2)));
    murkfuzz::Require(whole == pieced && whole == direct, "classifications agree");
    murkfuzz::Require(*StateText(whole) != '\0', "a known state");
    murkfuzz::Require(size >= 20 || whole == msOther, "short files are other");
    return 0;
}
