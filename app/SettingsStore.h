#pragma once

#include <string>
#include <string_view>

#include "AppSettings.h"

namespace murk {

// Reads "murkw.ini", "dir.txt" and "registry.ini" from the settings folder,
// and sets AppDir and IniPath. "murkw.hst" is read only after the login (see
// TPasswordHistoryFile). A missing or malformed value
// gives its default and a number out of its range is brought back into it;
// the "fn..." values default to settings.ListFont as given, which the caller
// sets to the list's current font first. Nothing is written.
void LoadSettings(TAppSettings& settings);

// Writes the keys of "murkw.ini" (LastFolder through SaveLastFolder) and
// "dir.txt"; the registry and "murkw.hst" are left alone. Answers whether all
// of it was written.
bool SaveSettings(const TAppSettings& settings);
bool SaveLastFolder(const QString& folder);

// The registry values that the options dialog writes when it closes, one
// function per step, each writing its values in the dialog's order.
// "d7", "d8", "d9", then the "fn..." values of ListFont.
bool SaveModeOptions(const TAppSettings& settings);
// "d5", "d6".
bool SaveExtOptions(const TAppSettings& settings);
// "d0", "d1", "d2", "d3", "d4", "d10", "ListLine", "MainLayout", "d11", "d12".
bool SaveLoginOptions(const TAppSettings& settings);

// "d2", which the login window clears once it has asked for a new password.
bool SaveChangeLoginPassword(const TAppSettings& settings);

// Stores the login password, given as its CP932 bytes, as an Argon2id
// verifier (see MakeLoginVerifier) with the marker that a password has been
// set, and keeps the verifier in settings. "registry.ini" is the only file
// it reaches.
bool SaveLoginPassword(TAppSettings& settings, std::string_view password);

}  // namespace murk
