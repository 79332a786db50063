#pragma once

#include <cstddef>

#include "Codec.h"

namespace murk {

// Both directions refuse shorter passwords, counted in bytes.
constexpr size_t kJpzMinPassword = 8;

// Has the Jpz library turn the picture into a ".jpz" file, and stores that
// under the picture's own name behind an 8-byte header: the magic and the
// complement of the ".jpz" file's length. The library must be loaded
// (TJpzLibrary); while it is not, both directions refuse.
class TJpzCodec : public TCodec {
public:
    using TCodec::TCodec;
    int Encode() override;
    int Decode() override;

private:
    bool PasswordUsable() const;
    // The checks both directions begin with, in this order: the password,
    // the file, the library. The file's content, or null after a refusal.
    TMemoryStream* PrepareJpz();
    // Writes the content as it was read back over the file with its time
    // stamp, in case the library changed the file before it failed; a file
    // still as it was read is left alone.
    void WriteBack(const TMemoryStream& content);
};

}  // namespace murk
