#pragma once

#include <string>

#include "Codec.h"
#include "murkcheck.h"

namespace murk {

struct TVerifyResult {
    // The file's state as found: the format that a restore would use.
    TMurkState Format = msOther;
    // A restore with the password would succeed.
    bool Ok = false;
    // Why it would not: TRefusal::WrongPassword for a wrong password or a
    // damaged file, TRefusal::NotShielded for a file in no shielded format,
    // TRefusal::JpzUnavailable for a Jpz file while the library is not
    // loaded, and the restore's other refusals.
    TRefusal Reason = TRefusal::None;
    // The system's or the library's words, when there are any.
    std::string ErrorText;
};

// Runs every check a restore of the file applies (the format's own header
// and checksum tests, the check of the restored head, the Jpz library's
// authentication) without writing the file or changing any of its time
// stamps. A Jpz file is opened through two scratch files beside it (in the
// temporary folder when its folder is not writable) that are removed before
// this returns. Throws FileOpenError or FileIoError when the file cannot be
// read.
TVerifyResult VerifyFile(const std::string& path, const std::string& password);

}  // namespace murk
