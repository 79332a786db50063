// PassDecrypt with a fixed password either refuses, or gives an image that
// PassEncrypt turns back into exactly the input.
#include "FuzzFile.h"
#include "OutputStream.h"
#include "PassCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace murk;
    using murkfuzz::Require;
    static const std::string kPassword = "fuzz";
    const TMemoryStream input(std::span<const uint8_t>(data, size));
    TOutputStream plain;
    if (!PassDecrypt(input, plain, kPassword)) {
        Require(plain.Size() == 0, "a refusal writes nothing");
        return 0;
    }
    Require(InspectPassContainer(input.Bytes()) == TPassContainer::Valid, "a valid container");
    const size_t head = size_t(~ReadUInt32LE(data + 4));
    Require(plain.Size() == size - 8 && head <= kPassHeadBuffer, "restored length");
    if (head % 1024 == 0) {
        const TMemoryStream restored(plain.ToBytes());
        TOutputStream again;
        Require(PassEncrypt(restored, again, kPassword, int32_t(head / 1024)), "encrypts");
        Require(again.ToBytes() == murkfuzz::TBytes(data, data + size), "encrypts back");
    }
    return 0;
}
