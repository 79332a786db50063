#include "Verify.h"

#include <cstring>
#include <filesystem>

#include "ExtraCodec.h"
#include "FileSystem.h"
#include "JpegHead.h"
#include "JpzCodec.h"
#include "JpzLibrary.h"
#include "MemoryStream.h"
#include "NormalCodec.h"
#include "OutputStream.h"
#include "UltraCodec.h"

namespace murk {

namespace {

TRefusal VerifyJpz(const TMemoryStream& content, const std::string& path,
                   const std::string& password, std::string& errorText) {
    if (std::strlen(password.c_str()) < kJpzMinPassword) {
        return TRefusal::PasswordTooShort;
    }
    if (!TJpzLibrary::Instance().Available()) {
        return TRefusal::JpzUnavailable;
    }
    const auto payload = TJpzCodec::PayloadOf(content);
    TRefusal refusal = TJpzCodec::OpenPayload(payload, DirName(path), password, nullptr, errorText);
    if (refusal == TRefusal::CannotWrite) {
        // A folder that cannot be written (a read-only medium) still verifies.
        std::error_code error;
        const std::string temporary = std::filesystem::temp_directory_path(error).string();
        if (!error) {
            errorText.clear();
            refusal = TJpzCodec::OpenPayload(payload, temporary, password, nullptr, errorText);
        }
    }
    return refusal;
}

}  // namespace

TVerifyResult VerifyFile(const std::string& path, const std::string& password) {
    TVerifyResult result;
    TMemoryStream content;
    try {
        content.LoadQuietly(path);
    } catch (const FileTooLargeError& error) {
        result.Reason = TRefusal::TooLarge;
        result.ErrorText = error.what();
        return result;
    }
    result.Format = TMurkCheck().CheckStream(content);
    if (password.find('\0') != std::string::npos) {
        result.Reason = TRefusal::PasswordHasNul;
        return result;
    }
    TOutputStream output;
    switch (result.Format) {
        case msNormal:
            result.Reason = TNormalCodec::Restore(content, output);
            break;
        case msExtra:
            result.Reason = TExtraCodec::Restore(content, password, output);
            break;
        case msUltra:
            result.Reason = TUltraCodec::Restore(content, password, output);
            break;
        case msJpz:
            result.Reason = VerifyJpz(content, path, password, result.ErrorText);
            result.Ok = result.Reason == TRefusal::None;
            return result;
        default:
            result.Reason = TRefusal::NotShielded;
            return result;
    }
    if (result.Reason == TRefusal::None && !JpegHeadSound(output)) {
        result.Reason = TRefusal::WrongPassword;
    }
    result.Ok = result.Reason == TRefusal::None;
    return result;
}

}  // namespace murk
