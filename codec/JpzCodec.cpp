#include "JpzCodec.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "FileSystem.h"
#include "ImageFile.h"
#include "JpzLibrary.h"
#include "OutputStream.h"
#include "ReservedFile.h"

namespace murk {

namespace {

constexpr size_t kJpzHeaderSize = 8;

std::string WithoutExtension(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return hasExtension ? fileName.substr(0, dot) : fileName;
}

// The file's path with its extension replaced by ".jpg"; the file itself
// when its extension is ".jpg" in any letter case.
std::string PicturePath(const std::string& fileName) {
    return LowerExtension(fileName) == ".jpg" ? fileName : WithoutExtension(fileName) + ".jpg";
}

std::string CannotCreateText(const std::string& path) {
    return "Cannot write " + path + ": " + std::strerror(errno) + ".";
}

// Claims a scratch file in folder under a hidden name of this process, which
// a later run removes should this one be killed before it does.
std::pair<TRefusal, std::string> ReserveScratch(const std::string& folder, TReservedFile& scratch) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string path = folder + "/" + NewScratchName();
        switch (scratch.Create(path, 0600)) {
            case TReservedFile::TResult::Created:
                return {TRefusal::None, {}};
            case TReservedFile::TResult::Exists:
                continue;
            case TReservedFile::TResult::Failed:
                return {TRefusal::CannotWrite, CannotCreateText(path)};
        }
    }
    return {TRefusal::ScratchExists, {}};
}

// What a failing library result means, for the user.
std::string LibraryFailureText(int32_t result) {
    switch (result) {
        case JPZ_ERR_ARGUMENT:
            return "the Jpz library refused the file names or the password";
        case JPZ_ERR_READ:
            return "the Jpz library could not read its input";
        case JPZ_ERR_FORMAT:
            return "the Jpz library does not read this file";
        case JPZ_ERR_AUTH:
            return "wrong password or damaged file";
        case JPZ_ERR_WRITE:
            return "the Jpz library could not write its output";
        case JPZ_ERR_NO_MEMORY:
            return "not enough memory";
        case JPZ_ERR_RANDOM:
            return "the system's random source failed";
    }
    return "the Jpz library answered " + std::to_string(result);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool NameTaken(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Loads the library's ".jpz" output; false when it cannot be read or is
// empty, which a real ".jpz" file never is.
bool LoadPayload(const std::string& path, TMemoryStream& payload) {
    try {
        payload.LoadFromFile(path, false);
    } catch (const FileError&) {
        return false;
    }
    return payload.Size() > 0;
}

}  // namespace

bool TJpzCodec::PasswordUsable() const {
    // The library is handed the password as a C string and sees only the
    // bytes before a NUL.
    return std::strlen(GetPassword().c_str()) >= kJpzMinPassword;
}

TMemoryStream* TJpzCodec::PrepareJpz() {
    if (!PasswordUsable()) {
        Refuse(TRefusal::PasswordTooShort);
        return nullptr;
    }
    TMemoryStream& content = PrepareStream();
    if (IsRefused()) {
        return nullptr;
    }
    if (!TJpzLibrary::Instance().Available()) {
        Refuse(TRefusal::JpzUnavailable);
        return nullptr;
    }
    return &content;
}

std::span<const uint8_t> TJpzCodec::PayloadOf(const TMemoryStream& content) {
    return content.Bytes().subspan(std::min(content.Size(), kJpzHeaderSize));
}

TRefusal TJpzCodec::OpenPayload(std::span<const uint8_t> payload, const std::string& folder,
                                const std::string& password, TMemoryStream* plain,
                                std::string& errorText) {
    TReservedFile sealed;
    if (auto [refusal, text] = ReserveScratch(folder, sealed); refusal != TRefusal::None) {
        errorText = std::move(text);
        return refusal;
    }
    sealed.Write(payload);
    sealed.Close();
    TReservedFile opened;
    if (auto [refusal, text] = ReserveScratch(folder, opened); refusal != TRefusal::None) {
        errorText = std::move(text);
        return refusal;
    }
    opened.Close();
    const int32_t result = TJpzLibrary::Instance().JPZtoJPG(sealed.Path(), opened.Path(), password);
    if (result == JPZ_ERR_AUTH) {
        return TRefusal::WrongPassword;
    }
    if (result != 0) {
        errorText = LibraryFailureText(result);
        return TRefusal::JpzFailed;
    }
    if (plain != nullptr && !LoadPayload(opened.Path(), *plain)) {
        errorText = "the Jpz library's output is unreadable";
        return TRefusal::JpzFailed;
    }
    return TRefusal::None;
}

int TJpzCodec::Encode() {
    TMemoryStream* content = PrepareJpz();
    if (content == nullptr) {
        return 0;
    }
    // The library writes only the scratch file; the picture is replaced
    // below like any other, only if it is still the file that was read.
    TReservedFile scratch;
    if (auto [refusal, text] = ReserveScratch(DirName(GetFileName()), scratch);
        refusal != TRefusal::None) {
        return Refuse(refusal, std::move(text));
    }
    scratch.Close();
    TMemoryStream payload;
    const int32_t result =
        TJpzLibrary::Instance().JPGtoJPZ(scratch.Path(), GetFileName(), GetPassword());
    if (result != 0 || !LoadPayload(scratch.Path(), payload)) {
        return Refuse(TRefusal::JpzFailed, result != 0 ? LibraryFailureText(result)
                                                       : "the Jpz library's output is unreadable");
    }
    TOutputStream output;
    output.WriteUInt32(kJpzMagic);
    output.WriteUInt32(~uint32_t(payload.Size()));
    output.WriteView(payload.Bytes());
    return SaveShielded(output, msJpz);
}

int TJpzCodec::Decode() {
    TMemoryStream* content = PrepareJpz();
    if (content == nullptr) {
        return 0;
    }
    if (content->Size() < 4 || ReadUInt32LE(content->Data()) != kJpzMagic) {
        return Refuse(TRefusal::WrongFormat);
    }
    const std::string picture = PicturePath(GetFileName());
    const bool beside = !SameFile(picture, GetFileName());
    // Another file by the picture's name belongs to the user.
    if (beside && NameTaken(picture)) {
        return Refuse(TRefusal::PictureExists);
    }
    TMemoryStream plain;
    std::string errorText;
    if (const TRefusal refusal = OpenPayload(PayloadOf(*content), DirName(GetFileName()),
                                             GetPassword(), &plain, errorText);
        refusal != TRefusal::None) {
        return Refuse(refusal, std::move(errorText));
    }
    TOutputStream output;
    output.WriteView(plain.Bytes());
    if (!beside) {
        return SaveRestored(output);
    }
    TReplaceReport report;
    try {
        // The restored picture is the file as it was before it was shielded.
        if (!CreateFileContent(picture, output, GetFileName(), GetFileDate(), report)) {
            return Refuse(TRefusal::PictureExists);
        }
    } catch (const FileCreateError& error) {
        return Refuse(TRefusal::CannotWrite, error.what());
    }
    SetNotKept(std::move(report.NotKept));
    CheckStream(output);
    SetCheckSize(int64_t(output.Size()));
    return 1;
}

}  // namespace murk
