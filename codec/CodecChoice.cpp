#include "CodecChoice.h"

#include <new>

#include "ExtraCodec.h"
#include "JpzCodec.h"
#include "NormalCodec.h"
#include "ThumbnailCache.h"
#include "UltraCodec.h"

namespace murk {

TCodecKind ChooseCodec(bool encode, TMurkState state, const TShieldSelection& selection) {
    if (encode) {
        if (!selection.PasswordMode) {
            return TCodecKind::Normal;
        }
        if (selection.ShieldKind == 1) {
            return TCodecKind::Extra;
        }
        if (selection.ShieldKind == 3) {
            return TCodecKind::Jpz;
        }
        return selection.UltraEnabled ? TCodecKind::Ultra : TCodecKind::None;
    }
    switch (state) {
        case msNormal:
            return TCodecKind::Normal;
        case msExtra:
            return TCodecKind::Extra;
        case msUltra:
            return TCodecKind::Ultra;
        case msJpz:
            return selection.JpzAvailable ? TCodecKind::Jpz : TCodecKind::None;
        default:
            return TCodecKind::None;
    }
}

std::unique_ptr<TCodec> CreateCodec(TCodecKind kind, const TCodecOption& option) {
    switch (kind) {
        case TCodecKind::Normal:
            return std::make_unique<TNormalCodec>(option);
        case TCodecKind::Extra:
            return std::make_unique<TExtraCodec>(option);
        case TCodecKind::Ultra:
            return std::make_unique<TUltraCodec>(option);
        case TCodecKind::Jpz:
            return std::make_unique<TJpzCodec>(option);
        case TCodecKind::None:
            break;
    }
    return nullptr;
}

TCodecOutcome DispatchCodec(TMemoryStream& stream, const std::string& fileName, bool encode,
                            const std::string& password, int32_t mode,
                            const TShieldSelection& selection) {
    TCodecOption option;
    option.Stream = &stream;
    option.FileName = fileName;
    option.Encode = encode;
    option.Password = password;
    option.Mode = mode;

    const TMurkState state = TMurkCheck().CheckStream(stream);
    const TCodecKind kind = ChooseCodec(encode, state, selection);
    auto codec = CreateCodec(kind, option);
    TCodecOutcome outcome;
    if (!codec) {
        if (encode) {
            outcome.Reason = TRefusal::NoCodec;
        } else {
            outcome.Reason = state == msJpz ? TRefusal::JpzUnavailable : TRefusal::NotShielded;
        }
        return outcome;
    }
    try {
        outcome.Result = codec->Execute();
    } catch (const std::bad_alloc&) {
        // Nothing is written before the whole new content is made, so the
        // file is as it was.
        outcome.Reason = TRefusal::TooLarge;
        return outcome;
    }
    if (outcome.Result == 1) {
        // The desktop's cached thumbnail shows the old content.
        ForgetThumbnails(fileName);
    }
    outcome.Reason = codec->Reason();
    outcome.ErrorText = codec->ErrorText();
    outcome.OtherNames = codec->OtherNames();
    outcome.NotKept = codec->NotKept();
    return outcome;
}

std::string RefusalMessage(const TCodecOutcome& outcome) {
    std::string message = RefusalMessage(outcome.Reason, outcome.OtherNames);
    if (!outcome.ErrorText.empty()) {
        message += " (" + outcome.ErrorText + ")";
    }
    return message;
}

}  // namespace murk
