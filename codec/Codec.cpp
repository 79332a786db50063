#include "Codec.h"

#include <utility>

#include "FileHold.h"
#include "FileSystem.h"
#include "JpegHead.h"

namespace murk {

const char* RefusalText(TRefusal reason) {
    switch (reason) {
        case TRefusal::None:
            return "no error";
        case TRefusal::Empty:
            return "the file is empty";
        case TRefusal::ForbiddenAttribute:
            return "the file is read-only, hidden, a folder or not a regular file";
        case TRefusal::NotJpeg:
            return "not a JPEG file";
        case TRefusal::TooShort:
            return "the file is too short";
        case TRefusal::WrongFormat:
            return "not a file of this format";
        case TRefusal::EmptyPassword:
            return "the password is empty";
        case TRefusal::PasswordTooLong:
            return "the password is too long";
        case TRefusal::PasswordTooShort:
            return "the password is too short";
        case TRefusal::WrongPassword:
            return "wrong password, or the file is damaged";
        case TRefusal::UnsupportedMode:
            return "unsupported mode";
        case TRefusal::CannotWrite:
            return "cannot write the file";
        case TRefusal::NotShielded:
            return "not a shielded file";
        case TRefusal::NoCodec:
            return "no format applies";
        case TRefusal::JpzUnavailable:
            return "Jpz library not available";
        case TRefusal::JpzFailed:
            return "the Jpz library failed";
        case TRefusal::ScratchExists:
            return "scratch file exists";
        case TRefusal::PictureExists:
            return "a different picture file exists";
        case TRefusal::ChangedOnDisk:
            return "the file changed while it was processed";
        case TRefusal::BeingWritten:
            return "the file is being written by another program";
        case TRefusal::InUse:
            return "in use by another Murkwell run";
        case TRefusal::OtherNames:
            return "the picture has other names that would keep it plain";
        case TRefusal::HeadDamaged:
            return "the picture's head is damaged";
        case TRefusal::TooLarge:
            return "the file is too large to hold in memory";
        case TRefusal::PasswordHasNul:
            return "the password contains a NUL byte";
        case TRefusal::NoCp932Converter:
            return "no Shift-JIS converter is installed for the password";
    }
    return "unknown reason";
}

std::string RefusalMessage(TRefusal reason, uint64_t otherNames) {
    if (reason == TRefusal::OtherNames) {
        return "the picture has " + std::to_string(otherNames) + " other name" +
               (otherNames == 1 ? "" : "s") + " that would keep it plain";
    }
    return RefusalText(reason);
}

TCodec::TCodec(const TCodecOption& option)
    : FEncode(option.Encode),
      FFileName(option.FileName),
      FMode(option.Mode),
      FStream(*option.Stream),
      FBlockSize(int32_t(uint32_t(option.Mode) << 10)),
      FBlockSizeNot(~uint32_t(FBlockSize)),
      // A stream read from the file carries its time; the replace compares
      // the whole identity, so the two never differ on a file that is saved.
      FFileDate(FStream.Source() ? std::optional(FStream.Source()->Mtime)
                                 : ReadFileDate(FFileName)),
      FVerifyHead(option.VerifyHead) {
    FPassword = option.Password;
}

TCodec::~TCodec() = default;

int TCodec::Encode() {
    return 0;
}

int TCodec::Decode() {
    return 0;
}

int TCodec::Execute() {
    // Every format would treat it differently (the Jpz library cuts the
    // password there), so none takes it.
    if (FPassword.find('\0') != std::string::npos) {
        FCheck.CheckStream(FStream);
        return Refuse(TRefusal::PasswordHasNul);
    }
    return FEncode ? Encode() : Decode();
}

TMemoryStream& TCodec::PrepareStream() {
    if (const TFileHold* hold = FStream.Hold(); hold && hold->Problem() != THoldProblem::None) {
        FRefused = true;
        FReason = hold->Problem() == THoldProblem::InUse ? TRefusal::InUse : TRefusal::BeingWritten;
        FCheck.CheckStream(FStream);
        return FStream;
    }
    if (FStream.Size() == 0) {
        FRefused = true;
        FReason = TRefusal::Empty;
        return FStream;
    }
    const auto attributes = FileAttributes(FFileName);
    if (!attributes ||
        (*attributes & (faReadOnly | faHidden | faSysFile | faVolumeID | faDirectory)) != 0) {
        FRefused = true;
        FReason = TRefusal::ForbiddenAttribute;
    }
    if (FEncode &&
        !(FStream.Size() >= 2 && FStream.Data()[0] == 0xFF && FStream.Data()[1] == 0xD8)) {
        if (!FRefused) {
            FReason = TRefusal::NotJpeg;
        }
        FRefused = true;
    }
    // Another name would keep the old content readable.
    if (!FRefused && FStream.Links() > 1) {
        FRefused = true;
        FReason = TRefusal::OtherNames;
        FOtherNames = FStream.Links() - 1;
    }
    FCheck.CheckStream(FStream);
    return FStream;
}

int TCodec::RestoreFileDate() {
    return WriteFileDate(FFileName, FFileDate);
}

std::optional<struct timespec> TCodec::ReadFileDate(const std::string& name) {
    return ReadFileTime(name);
}

int TCodec::WriteFileDate(const std::string& name, const std::optional<struct timespec>& date) {
    return date && WriteFileTime(name, *date) ? 1 : 0;
}

int TCodec::Refuse(TRefusal reason, std::string errorText) {
    FReason = reason;
    FErrorText = std::move(errorText);
    return 0;
}

int TCodec::RestoreInPlace(
    const std::function<TRefusal(TMemoryStream& content, TOutputStream& output)>& restore) {
    TOutputStream output;
    TMemoryStream& content = PrepareStream();
    if (IsRefused()) {
        return 0;
    }
    if (const TRefusal refusal = restore(content, output); refusal != TRefusal::None) {
        return Refuse(refusal);
    }
    if (FVerifyHead && !JpegHeadSound(output)) {
        return Refuse(TRefusal::WrongPassword);
    }
    return SaveRestored(output);
}

bool TCodec::ShieldedHeadAccepted(const TMemoryStream& content) {
    if (!JpegHeadSound(content.Bytes())) {
        Refuse(TRefusal::HeadDamaged);
        return false;
    }
    return true;
}

bool TCodec::BlockModeInRange() const {
    return FMode >= 1 && FMode <= 63;
}

bool TCodec::SaveOutput(const TOutputStream& output) {
    try {
        FNotKept =
            ReplaceFileContent(FFileName, output, FFileDate, FStream.Source(), FStream.Hold())
                .NotKept;
    } catch (const FileCreateError& error) {
        Refuse(TRefusal::CannotWrite, error.what());
        return false;
    } catch (const FileChangedError&) {
        Refuse(TRefusal::ChangedOnDisk);
        return false;
    } catch (const FileBeingWrittenError&) {
        Refuse(TRefusal::BeingWritten);
        return false;
    } catch (const FileLinkedError& error) {
        Refuse(TRefusal::OtherNames);
        FOtherNames = error.OtherNames();
        return false;
    }
    return true;
}

int TCodec::SaveShielded(const TOutputStream& output, TMurkState state) {
    if (!SaveOutput(output)) {
        return 0;
    }
    SetCheckState(state);
    SetCheckSize(int64_t(output.Size()));
    return 1;
}

int TCodec::SaveRestored(const TOutputStream& output) {
    if (!SaveOutput(output)) {
        return 0;
    }
    CheckStream(output);
    SetCheckSize(int64_t(output.Size()));
    return 1;
}

}  // namespace murk
