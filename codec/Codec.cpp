#include "Codec.h"

#include <utility>

#include "FileSystem.h"

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
            return "wrong password or damaged file";
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
    }
    return "unknown reason";
}

TCodec::TCodec(const TCodecOption& option)
    : FEncode(option.Encode),
      FFileName(option.FileName),
      FMode(option.Mode),
      FStream(*option.Stream),
      FBlockSize(int32_t(uint32_t(option.Mode) << 10)),
      FBlockSizeNot(~uint32_t(FBlockSize)),
      FFileDate(ReadFileDate(FFileName)) {
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
    return FEncode ? Encode() : Decode();
}

TMemoryStream& TCodec::PrepareStream() {
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

bool TCodec::FileUnchanged() const {
    return FStream.Source() && FileIdentity(FFileName) == FStream.Source();
}

bool TCodec::BlockModeInRange() const {
    return FMode >= 1 && FMode <= 63;
}

bool TCodec::SaveOutput(const TOutputStream& output) {
    try {
        ReplaceFileContent(FFileName, output, FFileDate, FStream.Source());
    } catch (const FileCreateError& error) {
        Refuse(TRefusal::CannotWrite, error.what());
        return false;
    } catch (const FileChangedError&) {
        Refuse(TRefusal::ChangedOnDisk);
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
