#pragma once

#include "AppSettings.h"
#include "OperationSettings.h"

namespace murk {

// TOperationSettings repeats members of TAppSettings; these two functions
// are the only places that copy between the records. The runs and their
// commands change their switches in TOperationSettings; the options and
// about windows change theirs in TAppSettings.
enum class TShared {
    // At start: every repeated member.
    Everything,
    // After the options or the about window: only what those windows change,
    // so a run that went on meanwhile keeps its switches.
    WindowSettings,
};
void CopyToOperation(const TAppSettings& from, TOperationSettings& to, TShared which);

// The switches the runs change, before they are saved.
void CopyToApp(const TOperationSettings& from, TAppSettings& to);

}  // namespace murk
