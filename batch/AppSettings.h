#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <string>

#include "CodecChoice.h"
#include "FolderScan.h"
#include "Rgb.h"

namespace murk {

// Colours are kept in the Windows layout 0x00BBGGRR, as "murkw.ini" and
// "registry.ini" store them.
constexpr TRgb RgbFromColorRef(uint32_t color) {
    return {uint8_t(color & 0xFF), uint8_t((color >> 8) & 0xFF), uint8_t((color >> 16) & 0xFF)};
}

constexpr uint32_t ColorRefFromRgb(const TRgb& rgb) {
    return uint32_t(rgb.Red) | uint32_t(rgb.Green) << 8 | uint32_t(rgb.Blue) << 16;
}

// The list font as the registry values "fn..." hold it. Charset and Pitch are
// carried unchanged; they mean nothing here.
struct TListFont {
    int32_t Charset = 128;
    uint32_t Color = 0;
    // Negative in the Windows form: the character height without leading.
    int32_t Height = -12;
    // Empty leaves the list with its own family.
    QString Name;
    int32_t Pitch = 0;
    int32_t Size = 9;
    // Bold 1, italic 2, underline 4, strike-out 8.
    int32_t Style = 0;
    bool operator==(const TListFont&) const = default;
};

// Indexes of ColumnWidths, in the order of the file list's columns.
enum TListColumn { lcState, lcNumber, lcAttr, lcSize, lcFileName, lcFolder, ListColumnCount };

// Every setting of the program. A default-constructed record holds the
// values of a first start. The main window owns the one record; the runs,
// their commands and the windows all work on it.
struct TAppSettings {
    // "murkw.ini", group "Murkwell".
    bool PasswordMode = false;
    bool Shield = true;
    bool AllMode = false;
    bool History = true;
    // The folder shown at close; the settings folder when never saved.
    QString LastFolder;
    bool SubDirMode = false;
    bool EndMessage = true;
    bool ResList = true;
    bool MurkCheckMode = false;
    bool Flat = true;
    bool FolderView = true;
    bool SmallBtn = false;
    int32_t MainWidth = 600;
    int32_t MainHeight = 640;
    std::array<int32_t, ListColumnCount> ColumnWidths = {60, 60, 60, 60, 80, 180};
    int32_t TreeViewWidth = 180;
    // 0 shield, 1 restore, 2 check.
    int32_t MurkMode = 0;
    uint32_t ListViewColor = 0;
    bool ListTrack = false;
    int32_t EncDisp = 0;
    uint32_t SamnailBackColor = 0xD6C5B6;

    // "registry.ini", written only by the options dialog and the login window.
    bool LoginAtStart = true;
    bool AutoLogout = true;
    bool ChangeLoginPassword = false;
    int32_t LogoutMinutes = 5;
    QString LoginTitle = QStringLiteral("Murkwell ログイン");
    bool RenameExt = false;
    // Without the dot.
    QString NewExt;
    int32_t NormalModeNo = 1;
    int32_t ExtraModeNo = 1;
    int32_t UltraModeNo = 1;
    bool UltraEnabled = false;
    QString MainTitle = QStringLiteral("Murkwel for Windows");
    bool UseJpz = false;
    TListFont ListFont;
    bool ListLine = false;
    // 0 to 2, the arrangement of the left pane.
    int32_t MainLayout = 0;
    // The login password's stored form, an Argon2id verifier (or the layout
    // of earlier versions until the next login); empty while none is set.
    std::string StoredLoginPassword;

    // Image passwords as typed, newest first.
    QStringList PasswordHistory;
    // Registered folders, sorted without regard to letter case; see
    // AddFolderHistory.
    QStringList FolderHistory;

    // Known at run time only.
    bool JpzAvailable = false;
    QString AppDir;
    QString IniPath;
    // The folder of the Open command's last choice.
    QString OpenDir;
    // The password shield a run makes: 1 Extra, 2 Ultra, 3 Jpz.
    int32_t ShieldKind = 1;

    TImageFilter ImageFilter() const { return {RenameExt, NewExt.toStdString()}; }
    TShieldSelection ShieldSelection() const {
        return {PasswordMode, ShieldKind, UltraEnabled, JpzAvailable};
    }

    bool operator==(const TAppSettings&) const = default;
};

// Inserts folder at its sorted place unless it is already there in any
// letter case; answers whether it was added.
bool AddFolderHistory(QStringList& history, const QString& folder);

}  // namespace murk
