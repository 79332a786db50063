// A Normal restore either refuses, or gives content whose head is the
// complement of the stored block; a canonical file shields back to itself.
#include "FuzzFile.h"
#include "NormalCodec.h"
#include "murkcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace murkfuzz;
    const TBytes input(data, data + size);
    if (RunOn<murk::TNormalCodec>(input, false, "", 1) != 1) {
        Require(Get() == input, "a refusal leaves the file");
        return 0;
    }
    const TBytes restored = Get();
    const THeader header = ReadHeader(input, murk::kNormalShortMagic, murk::kNormalLongMagic, 4, 8);
    Require(header.Block > 0 && size >= header.Length + header.Block, "long enough");
    Require(restored.size() == size - header.Length, "restored length");
    for (size_t i = 0; i < restored.size(); ++i) {
        const uint8_t stored = input[header.Length + i];
        Require(restored[i] == (i < header.Block ? uint8_t(~stored) : stored), "restored bytes");
    }
    if (header.Canonical && restored.size() >= 2 && restored[0] == 0xFF && restored[1] == 0xD8) {
        Require(RunOn<murk::TNormalCodec>(restored, true, "", header.Mode) == 1, "shields");
        Require(Get() == input, "shields back to the input");
    }
    return 0;
}
