#pragma once

#include "Codec.h"

namespace murk {

// Complements the first Mode x 1024 bytes; needs no password.
class TNormalCodec : public TCodec {
public:
    using TCodec::TCodec;
    int Encode() override;
    int Decode() override;
};

}  // namespace murk
