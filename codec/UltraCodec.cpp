#include "UltraCodec.h"

#include "PassCodec.h"

namespace murk {

int TUltraCodec::Encode() {
    TOutputStream output;
    TMemoryStream& content = PrepareStream();
    if (IsRefused()) {
        return 0;
    }
    if (GetPassword().empty()) {
        return Refuse(TRefusal::EmptyPassword);
    }
    if (GetMode() < 1 || GetMode() > kUltraMaxMode) {
        return Refuse(TRefusal::UnsupportedMode);
    }
    if (!PassEncrypt(content, output, GetPassword(), GetMode())) {
        return Refuse(TRefusal::TooShort);
    }
    return SaveShielded(output, msUltra);
}

int TUltraCodec::Decode() {
    TOutputStream output;
    TMemoryStream& content = PrepareStream();
    if (IsRefused()) {
        return 0;
    }
    if (GetPassword().empty()) {
        return Refuse(TRefusal::EmptyPassword);
    }
    switch (InspectPassContainer(content.Bytes())) {
        case TPassContainer::Valid:
            break;
        case TPassContainer::NotContainer:
        case TPassContainer::BadHeadLength:
            return Refuse(TRefusal::WrongFormat);
        case TPassContainer::CutShort:
            return Refuse(TRefusal::TooShort);
    }
    if (!PassDecrypt(content, output, GetPassword())) {
        return Refuse(TRefusal::WrongPassword);
    }
    return SaveRestored(output);
}

}  // namespace murk
