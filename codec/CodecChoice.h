#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Codec.h"

namespace murk {

// The operation settings that decide which codec shields a file.
struct TShieldSelection {
    bool PasswordMode = true;
    // 1 Extra, 2 Ultra, 3 Jpz.
    int32_t ShieldKind = 1;
    bool UltraEnabled = false;
    bool JpzAvailable = false;
};

enum class TCodecKind { None, Normal, Extra, Ultra, Jpz };

// A shield follows the selection; a restore follows the state found in the
// file, never the selection.
TCodecKind ChooseCodec(bool encode, TMurkState state, const TShieldSelection& selection);
std::unique_ptr<TCodec> CreateCodec(TCodecKind kind, const TCodecOption& option);

struct TCodecOutcome {
    int Result = 0;
    TRefusal Reason = TRefusal::None;
    // The system's message when the file could not be written.
    std::string ErrorText;
    // With TRefusal::OtherNames, how many.
    uint64_t OtherNames = 0;
    // With result 1: what of the old file the new one could not be given.
    std::vector<std::string> NotKept;
};

// The reason in plain English with the count of other names put in, and
// the system's words after it in brackets.
std::string RefusalMessage(const TCodecOutcome& outcome);

// Classifies the stream (publishing its state and size), runs the codec that
// fits and frees it. Memory that runs out while the new content is made is
// TRefusal::TooLarge. Failures of the save other than a file that cannot be
// created reach the caller as FileIoError.
TCodecOutcome DispatchCodec(TMemoryStream& stream, const std::string& fileName, bool encode,
                            const std::string& password, int32_t mode,
                            const TShieldSelection& selection);

}  // namespace murk
