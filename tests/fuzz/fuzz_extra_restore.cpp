// An Extra restore with a fixed password either refuses and leaves the
// file, or gives content that shields back to exactly the input.
#include "ExtraCodec.h"
#include "FuzzFile.h"
#include "murkcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace murkfuzz;
    static const std::string kPassword = "fuzz";
    const TBytes input(data, data + size);
    if (RunOn<murk::TExtraCodec>(input, false, kPassword, 1) != 1) {
        Require(Get() == input, "a refusal leaves the file");
        return 0;
    }
    const TBytes restored = Get();
    const THeader header = ReadHeader(input, murk::kExtraShortMagic, murk::kExtraLongMagic, 8, 12);
    Require(restored.size() == size - header.Length, "restored length");
    Require(restored[0] == 0xFF && restored[1] == 0xD8, "restored JPEG start");
    Require(std::equal(restored.begin() + ptrdiff_t(header.Block), restored.end(),
                       input.begin() + ptrdiff_t(header.Length + header.Block)),
            "the rest is unchanged");
    if (header.Canonical) {
        Require(RunOn<murk::TExtraCodec>(restored, true, kPassword, header.Mode) == 1, "shields");
        Require(Get() == input, "shields back to the input");
    }
    return 0;
}
