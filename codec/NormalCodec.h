#pragma once

#include "Codec.h"

namespace murk {

// Complements the first Mode x 1024 bytes; needs no password.
class TNormalCodec : public TCodec {
public:
    using TCodec::TCodec;
    int Encode() override;
    int Decode() override;
    // The restore without its checks of the file: output gets the plain
    // content, the head restored in content itself.
    static TRefusal Restore(TMemoryStream& content, TOutputStream& output);
};

}  // namespace murk
