#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "MemoryStream.h"
#include "OutputStream.h"
#include "murkcheck.h"

namespace murk {

// Why a codec left a file as it was. The codec's result stays 0 or 1; this
// only tells the user the reason.
enum class TRefusal {
    None,
    Empty,
    ForbiddenAttribute,
    NotJpeg,
    TooShort,
    WrongFormat,
    EmptyPassword,
    PasswordTooLong,
    PasswordTooShort,
    WrongPassword,
    UnsupportedMode,
    CannotWrite,
    NotShielded,
    NoCodec,
    JpzUnavailable,
    JpzFailed,
    ScratchExists,
    PictureExists,
    ChangedOnDisk,
    // Another program has the file open for writing, or opened it while it
    // was processed.
    BeingWritten,
    // Another Murkwell process (a window or murkwell-cli) holds the file.
    InUse,
    // The file has other hard links; their count is the codec's OtherNames().
    OtherNames,
    // Shield: the picture's marker chain or tables are not sound, so a
    // restore could not tell a right password from a wrong one.
    HeadDamaged,
    // The file, or the memory to work on it, is more than this process can hold.
    TooLarge,
    // A password with a NUL byte would be cut short by the Jpz library.
    PasswordHasNul,
    // No converter to Shift-JIS is installed, so the password has no bytes.
    NoCp932Converter,
};

// A sentence fragment in plain English, for example "the password is empty".
// For OtherNames the count is left out; RefusalMessage gives it.
const char* RefusalText(TRefusal reason);
// RefusalText with the count of other names put in, for example "the
// picture has 2 other names that would keep it plain".
std::string RefusalMessage(TRefusal reason, uint64_t otherNames);

struct TCodecOption {
    TMemoryStream* Stream = nullptr;
    std::string FileName;
    bool Encode = true;
    // The password as CP932 bytes; every length rule counts these bytes.
    std::string Password;
    int32_t Mode = 1;
    // Restore: check that the restored head is a sound JPEG head before
    // anything is written (Normal, Extra and Ultra). Off only for files
    // shielded by another program, whose pictures were never checked.
    bool VerifyHead = true;
};

class TCodec {
public:
    explicit TCodec(const TCodecOption& option);
    virtual ~TCodec();
    TCodec(const TCodec&) = delete;
    TCodec& operator=(const TCodec&) = delete;

    virtual int Encode();
    virtual int Decode();
    int Execute();

    TRefusal Reason() const { return FReason; }
    // The system's words for the reason, when there are any: the error that
    // made the save fail, or what the Jpz library reported.
    const std::string& ErrorText() const { return FErrorText; }
    // With TRefusal::OtherNames: how many other names the file has.
    uint64_t OtherNames() const { return FOtherNames; }
    // After a rewrite: what of the old file the new one could not be given
    // (an extended attribute, the owner); the picture is done all the same.
    const std::vector<std::string>& NotKept() const { return FNotKept; }

protected:
    TMemoryStream& PrepareStream();
    bool IsRefused() const { return FRefused; }
    const std::string& GetFileName() const { return FFileName; }
    const std::string& GetPassword() const { return FPassword; }
    // The file's modification time when the codec was made.
    const std::optional<struct timespec>& GetFileDate() const { return FFileDate; }
    int32_t GetMode() const { return FMode; }
    int32_t GetBlockSize() const { return FBlockSize; }
    uint32_t GetBlockSizeNot() const { return FBlockSizeNot; }
    int RestoreFileDate();
    TMurkState CheckStream(const TMemoryStream& stream) { return FCheck.CheckStream(stream); }
    TMurkState CheckStream(const TOutputStream& stream) { return FCheck.CheckStream(stream); }
    void SetCheckState(TMurkState state) { FCheck.SetState(state); }
    void SetCheckSize(int64_t size) { FCheck.SetSize(size); }
    TMurkCheck& Check() { return FCheck; }

    static std::optional<struct timespec> ReadFileDate(const std::string& name);
    static int WriteFileDate(const std::string& name, const std::optional<struct timespec>& date);

    // Returns 0 and keeps reason, and the system's words for it when given;
    // for use as `return Refuse(...)`.
    int Refuse(TRefusal reason, std::string errorText = {});
    // Saves output over the file with its time stamp kept and reports the
    // new state: state for a shield, the output's own classification for a
    // restore. A file that cannot be created for writing gives 0, and so
    // does one that is no longer the file the stream was loaded from, one
    // that gained other names, or one a writer opened meanwhile; other
    // failures throw FileIoError.
    int SaveShielded(const TOutputStream& output, TMurkState state);
    int SaveRestored(const TOutputStream& output);
    // Shields and restores with a block length of Mode x 1024 need a mode
    // whose length fits the 16 bits that the restore side reads.
    bool BlockModeInRange() const;
    bool VerifyHead() const { return FVerifyHead; }
    // The restore of a codec that rewrites the file in place: restore gives
    // the whole restored content or a refusal. A content whose head is not
    // sound is refused with TRefusal::WrongPassword, unless the check is
    // switched off; else it is saved.
    int RestoreInPlace(
        const std::function<TRefusal(TMemoryStream& content, TOutputStream& output)>& restore);
    // Refuses with TRefusal::HeadDamaged a picture whose head a restore
    // could not check.
    bool ShieldedHeadAccepted(const TMemoryStream& content);

private:
    bool SaveOutput(const TOutputStream& output);

protected:
    void SetNotKept(std::vector<std::string> notKept) { FNotKept = std::move(notKept); }
    void SetOtherNames(uint64_t otherNames) { FOtherNames = otherNames; }

private:
    bool FEncode;
    std::string FFileName;
    int32_t FMode;
    std::string FPassword;
    TMemoryStream& FStream;
    bool FRefused = false;
    TMurkCheck FCheck;
    int32_t FBlockSize;
    uint32_t FBlockSizeNot;
    std::optional<struct timespec> FFileDate;
    TRefusal FReason = TRefusal::None;
    std::string FErrorText;
    uint64_t FOtherNames = 0;
    std::vector<std::string> FNotKept;
    bool FVerifyHead;
};

}  // namespace murk
