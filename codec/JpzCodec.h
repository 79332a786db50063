#pragma once

#include <cstddef>
#include <span>
#include <string>

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

    // Has the library open a ".jpz" payload, through two scratch files in
    // folder that are gone again on return; plain, when given, gets the
    // picture. TRefusal::WrongPassword when the library finds the password
    // wrong or the payload damaged.
    // The ".jpz" payload of a Jpz file: all that follows its header (the
    // length word is not read back).
    static std::span<const uint8_t> PayloadOf(const TMemoryStream& content);

    static TRefusal OpenPayload(std::span<const uint8_t> payload, const std::string& folder,
                                const std::string& password, TMemoryStream* plain,
                                std::string& errorText);

private:
    bool PasswordUsable() const;
    // The checks both directions begin with, in this order: the password,
    // the file, the library. The file's content, or null after a refusal.
    TMemoryStream* PrepareJpz();
};

}  // namespace murk
