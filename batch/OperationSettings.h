#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "CodecChoice.h"
#include "FolderScan.h"

namespace murk {

// The settings the runs read and their commands change; the main window
// owns them and persists them.
struct TOperationSettings {
    // Direction of a thread run.
    bool Shield = true;
    bool MurkCheckMode = false;
    bool PasswordMode = false;
    // 1 Extra, 2 Ultra, 3 Jpz.
    int32_t ShieldKind = 1;
    bool UltraEnabled = false;
    bool JpzAvailable = false;
    int32_t NormalModeNo = 1;
    int32_t ExtraModeNo = 1;
    int32_t UltraModeNo = 1;
    bool RenameExt = false;
    std::string NewExt;
    bool History = true;
    bool ResList = true;
    bool EndMessage = true;
    bool SubDirMode = false;
    bool AllMode = false;
    // Position of the operation button's cycle.
    int32_t MurkMode = 0;
    // The Normal/Extra toggle's counter, 0 or 1.
    int32_t EncDisp = 0;
    // The folder of the Open command's last choice.
    QString OpenDir;

    TImageFilter ImageFilter() const { return {RenameExt, NewExt}; }
    TShieldSelection ShieldSelection() const {
        return {PasswordMode, ShieldKind, UltraEnabled, JpzAvailable};
    }
};

}  // namespace murk
