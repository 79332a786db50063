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
};

}  // namespace murk
