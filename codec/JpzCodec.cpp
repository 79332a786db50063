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
#include "ReservedFile.h"

namespace murk {

namespace {

constexpr size_t kJpzHeaderSize = 8;

// A file already at the scratch path belongs to the user, so the next free
// name is taken: photo.jpz, photo.1.jpz, photo.2.jpz and so on.
constexpr int kScratchNames = 100;

std::string WithoutExtension(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return hasExtension ? fileName.substr(0, dot) : fileName;
}

// The file's path with its extension replaced by ".jpz" (appended when the
// name has none); for n > 0 with ".n" before it.
std::string ScratchPath(const std::string& fileName, int n) {
    const std::string base = WithoutExtension(fileName);
    return n == 0 ? base + ".jpz" : base + "." + std::to_string(n) + ".jpz";
}

// The file's path with its extension replaced by ".jpg"; the file itself
// when its extension is ".jpg" in any letter case.
std::string PicturePath(const std::string& fileName) {
    return LowerExtension(fileName) == ".jpg" ? fileName : WithoutExtension(fileName) + ".jpg";
}

std::string CannotCreateText(const std::string& path) {
    return "Cannot write " + path + ": " + std::strerror(errno) + ".";
}

// The refusal, and the system's words for it, when no scratch file can be had.
std::pair<TRefusal, std::string> ReserveScratch(const std::string& fileName,
                                                TReservedFile& scratch) {
    for (int n = 0; n < kScratchNames; ++n) {
        const std::string path = ScratchPath(fileName, n);
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

mode_t FileMode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode : 0600;
}

// Loads the library's ".jpz" output; false when it cannot be read or is
// empty, which a real ".jpz" file never is.
bool LoadPayload(const std::string& path, TMemoryStream& payload) {
    try {
        payload.LoadFromFile(path);
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

void TJpzCodec::WriteBack(const TMemoryStream& content) {
    // Rewriting a file the library left alone could only fail, on a full disk.
    if (FileUnchanged()) {
        return;
    }
    TOutputStream original;
    original.WriteView(content.Bytes());
    ReplaceFileContent(GetFileName(), original, std::nullopt);
    RestoreFileDate();
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

int TJpzCodec::Encode() {
    TMemoryStream* content = PrepareJpz();
    if (content == nullptr) {
        return 0;
    }
    const TJpzLibrary& library = TJpzLibrary::Instance();
    TReservedFile scratch;
    if (auto [refusal, text] = ReserveScratch(GetFileName(), scratch); refusal != TRefusal::None) {
        return Refuse(refusal, std::move(text));
    }
    scratch.Close();
    TMemoryStream payload;
    const int32_t result = library.JPGtoJPZ(scratch.Path(), GetFileName(), GetPassword());
    if (result != 0 || !LoadPayload(scratch.Path(), payload)) {
        WriteBack(*content);
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
    const TJpzLibrary& library = TJpzLibrary::Instance();
    if (content->Size() < 4 || ReadUInt32LE(content->Data()) != kJpzMagic) {
        return Refuse(TRefusal::WrongFormat);
    }
    const std::string picture = PicturePath(GetFileName());
    TReservedFile newPicture;
    if (!SameFile(picture, GetFileName())) {
        // Another file by the picture's name belongs to the user.
        switch (newPicture.Create(picture, FileMode(GetFileName()))) {
            case TReservedFile::TResult::Created:
                break;
            case TReservedFile::TResult::Exists:
                return Refuse(TRefusal::PictureExists);
            case TReservedFile::TResult::Failed:
                return Refuse(TRefusal::CannotWrite, CannotCreateText(picture));
        }
        newPicture.Close();
    }
    TReservedFile scratch;
    if (auto [refusal, text] = ReserveScratch(GetFileName(), scratch); refusal != TRefusal::None) {
        return Refuse(refusal, std::move(text));
    }
    // The length word is not read back: the payload is all that follows the header.
    scratch.Write(content->Bytes().subspan(std::min(content->Size(), kJpzHeaderSize)));
    scratch.Close();
    // The library replaces a ".jpg" file itself; what was added to it since
    // it was read would be lost.
    if (content->Source() && !FileUnchanged()) {
        return Refuse(TRefusal::ChangedOnDisk);
    }
    const int32_t result = library.JPZtoJPG(scratch.Path(), picture, GetPassword());
    if (result != 0) {
        try {
            WriteBack(*content);
        } catch (const FileCreateError&) {
            // Nothing was written then, so the file is as it was read.
        }
        if (result == JPZ_ERR_AUTH) {
            return Refuse(TRefusal::WrongPassword);
        }
        return Refuse(TRefusal::JpzFailed, LibraryFailureText(result));
    }
    RestoreFileDate();
    if (!newPicture.Path().empty()) {
        newPicture.Keep();
        // The restored picture is the file as it was before it was shielded.
        if (const auto date = ReadFileDate(GetFileName())) {
            WriteFileDate(picture, date);
        }
    }
    Check().CheckFile(picture);
    return 1;
}

}  // namespace murk
