#pragma once

#include "Codec.h"

namespace murk {

constexpr int32_t kUltraMaxMode = 4;

// Encrypts the first Mode x 1024 bytes with Twofish under a key derived from
// the password, in the container that PassEncrypt writes.
class TUltraCodec : public TCodec {
public:
    using TCodec::TCodec;
    int Encode() override;
    int Decode() override;
    // The restore without its checks of the file; output gets views of content.
    static TRefusal Restore(const TMemoryStream& content, const std::string& password,
                            TOutputStream& output);
};

}  // namespace murk
