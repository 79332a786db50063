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
    if (content.Size() < size_t(GetMode()) * 1024) {
        return Refuse(TRefusal::TooShort);
    }
    if (!ShieldedHeadAccepted(content)) {
        return 0;
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
    if (const TRefusal refusal = Restore(content, GetPassword(), output);
        refusal != TRefusal::None) {
        return Refuse(refusal);
    }
    if (!RestoredHeadAccepted(output)) {
        return 0;
    }
    return SaveRestored(output);
}

TRefusal TUltraCodec::Restore(const TMemoryStream& content, const std::string& password,
                              TOutputStream& output) {
    if (password.empty()) {
        return TRefusal::EmptyPassword;
    }
    switch (InspectPassContainer(content.Bytes())) {
        case TPassContainer::Valid:
            break;
        case TPassContainer::NotContainer:
        case TPassContainer::BadHeadLength:
            return TRefusal::WrongFormat;
        case TPassContainer::CutShort:
            return TRefusal::TooShort;
    }
    if (!PassDecrypt(content, output, password)) {
        return TRefusal::WrongPassword;
    }
    return TRefusal::None;
}

}  // namespace murk
