#include "RunCommands.h"

#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>

#include "AppSettings.h"
#include "BatchRun.h"
#include "Cp932.h"
#include "FileListModel.h"
#include "FileSelection.h"
#include "JpzCodec.h"
#include "RunMessages.h"
#include "RunView.h"

namespace murk {

namespace {

// Puts the settings a menu command changes back when it ends, however it ends.
class TCommandGuard {
public:
    TCommandGuard(TAppSettings& settings, TRunState& state)
        : FSettings(settings),
          FState(state),
          FShield(settings.Shield),
          FMurkCheckMode(settings.MurkCheckMode),
          FForceCheck(state.ForceCheck) {}
    ~TCommandGuard() {
        FSettings.Shield = FShield;
        FSettings.MurkCheckMode = FMurkCheckMode;
        FState.ForceCheck = FForceCheck;
    }
    TCommandGuard(const TCommandGuard&) = delete;
    TCommandGuard& operator=(const TCommandGuard&) = delete;

private:
    TAppSettings& FSettings;
    TRunState& FState;
    bool FShield;
    bool FMurkCheckMode;
    bool FForceCheck;
};

}  // namespace

TRunCommands::TRunCommands(TBatchRun& run, TFileListModel& list, QItemSelectionModel& selection,
                           TAppSettings& settings, TRunView& view)
    : FRun(run), FList(list), FSelection(selection), FSettings(settings), FView(view) {}

void TRunCommands::RunCommand(int Tag) {
    if (!FSelection.hasSelection()) {
        return;
    }
    FView.SetCancelEnabled(true);
    FView.ProcessEvents();
    // A drop handled just now may have started a thread run; it owns the
    // window until it ends.
    if (FRun.Busy()) {
        return;
    }
    bool accepted = false;
    {
        TCommandGuard guard(FSettings, FRun.State());
        FSettings.Shield = Tag == 1;
        FSettings.MurkCheckMode = false;
        FRun.State().ForceCheck = false;
        accepted = PasswordAccepted(Tag == 1);
        if (accepted) {
            FRun.RunSelected();
        }
    }
    if (accepted) {
        if (Tag == 0) {
            FView.ForgetPreview();
        }
        FView.ShowPreview();
    }
    FView.SetCancelEnabled(false);
}

bool TRunCommands::PasswordAccepted(bool shield) {
    const QString text = FView.PasswordText();
    const auto refuse = [this](const QString& message) {
        FView.ShowMessage(QString::fromLatin1(kWarningCaption), message);
        FView.FocusPassword();
        return false;
    };
    if (shield && FSettings.PasswordMode && text.isEmpty()) {
        return refuse(kNoPasswordText);
    }
    if (!FRun.PasswordUsed()) {
        return true;
    }
    const TCp932Result bytes = ToCp932(text.toStdString());
    if (bytes.ConverterMissing) {
        return refuse(kNoCp932ConverterText);
    }
    if (!bytes.Ok) {
        return refuse(UnencodablePasswordText(bytes.Unencodable));
    }
    // Jpz is a password format: a Normal shield never reaches it.
    if (shield && FSettings.PasswordMode && FSettings.ShieldKind == 3 &&
        bytes.Bytes.size() < kJpzMinPassword) {
        return refuse(kJpzPasswordText);
    }
    return true;
}

bool TRunCommands::PasswordEncodable() {
    if (!FRun.PasswordUsed()) {
        return true;
    }
    const TCp932Result bytes = ToCp932(FView.PasswordText().toStdString());
    if (!bytes.Ok) {
        FView.ShowMessage(QString::fromLatin1(kWarningCaption),
                          bytes.ConverterMissing ? kNoCp932ConverterText
                                                 : UnencodablePasswordText(bytes.Unencodable));
        FView.FocusPassword();
    }
    return bytes.Ok;
}

void TRunCommands::ppMurkwellNormalClick() {
    if (FRun.Busy()) {
        return;
    }
    const bool savedPasswordMode = FSettings.PasswordMode;
    FSettings.PasswordMode = false;
    RunCommand(1);
    FSettings.PasswordMode = savedPasswordMode;
}

void TRunCommands::ShieldWithPassword(int32_t ShieldKind, int Tag) {
    if (FRun.Busy()) {
        return;
    }
    if (!FSettings.PasswordMode) {
        btnExtraClick();
    }
    FSettings.ShieldKind = ShieldKind;
    RunCommand(Tag);
}

void TRunCommands::ppMurkwellExtraClick() {
    ShieldWithPassword(1, 1);
}
void TRunCommands::ppMurkwellUltraClick() {
    ShieldWithPassword(2, 1);
}
void TRunCommands::ppJpzEncodeClick() {
    ShieldWithPassword(3, 1);
}
void TRunCommands::ppUnMurkwellClick() {
    ShieldWithPassword(1, 0);
}

void TRunCommands::btnCancelClick() {
    FRun.State().CancelRequested = true;
}

void TRunCommands::btnMurkwellClick() {
    if (FRun.Busy()) {
        return;
    }
    switch (FSettings.MurkMode) {
        case 0:
            FRun.SetOperationPosition(1);
            break;
        case 1:
            FRun.SetOperationPosition(FSettings.MurkCheckMode ? 2 : 0);
            break;
        default:
            FRun.SetOperationPosition(0);
            break;
    }
}

void TRunCommands::ItmMurkCheckModeClick() {
    if (FRun.Busy()) {
        return;
    }
    FSettings.MurkCheckMode = !FSettings.MurkCheckMode;
    FView.SetMenuItemChecked(TMenuItem::MurkCheckMode, FSettings.MurkCheckMode);
    if (FSettings.MurkCheckMode) {
        FRun.SetOperationPosition(2);
    } else if (FRun.OperationButton().Caption == kMurkCheckCaption) {
        FRun.SetOperationPosition(0);
    }
}

void TRunCommands::OptionClick() {
    FSettings.EndMessage = !FSettings.EndMessage;
    FView.SetMenuItemChecked(TMenuItem::EndMessage, FSettings.EndMessage);
}

void TRunCommands::btnAllModeClick() {
    if (FRun.Busy()) {
        return;
    }
    FSettings.AllMode = !FSettings.AllMode;
    if (FSettings.AllMode) {
        FView.SetToggleButton(TToggleButton::AllMode, QStringLiteral("All"), 22);
    } else {
        FView.SetToggleButton(TToggleButton::AllMode, QStringLiteral("Single"), 21);
    }
}

void TRunCommands::btnSubDirClick() {
    if (FRun.Busy()) {
        return;
    }
    FSettings.SubDirMode = !FSettings.SubDirMode;
    if (FSettings.SubDirMode) {
        FView.SetToggleButton(TToggleButton::SubDir, QStringLiteral("SubDir "), 16);
    } else {
        FView.SetToggleButton(TToggleButton::SubDir, QStringLiteral("Current"), 17);
    }
}

void TRunCommands::btnExtraClick() {
    if (FRun.Busy()) {
        return;
    }
    FSettings.EncDisp = FSettings.EncDisp == 0 ? 1 : 0;
    if (FSettings.EncDisp == 0) {
        FView.SetToggleButton(TToggleButton::Extra, QStringLiteral("Normal"), 7);
        FView.SetPasswordText({});
        FView.SetPasswordEnabled(false);
        FView.SetPasswordLabelLook(kGrey, kWhite);
        FSettings.PasswordMode = false;
    } else {
        FView.SetPasswordEnabled(true);
        FView.SetPasswordLabelLook(kYellow, kGrey);
        FSettings.PasswordMode = true;
        FView.SetToggleButton(TToggleButton::Extra, QStringLiteral("Extra"), 11);
        FSettings.ShieldKind = 1;
    }
    FView.SetMenuItemVisible(TMenuItem::MurkwellUltra,
                             FSettings.PasswordMode && FSettings.UltraEnabled);
    FView.SetMenuItemVisible(TMenuItem::JpzEncode,
                             FSettings.PasswordMode && FSettings.JpzAvailable);
}

void TRunCommands::WMDropFiles(const QStringList& paths) {
    if (FRun.Busy() || !PasswordEncodable()) {
        return;
    }
    FRun.State().ListAll = true;
    StartWithPaths(paths);
}

bool TRunCommands::btnOpenClick() {
    if (FRun.Busy()) {
        return false;
    }
    if (FSettings.PasswordMode && FView.PasswordText().isEmpty()) {
        FView.ShowMessage(QString::fromLatin1(kWarningCaption), kNoPasswordOpenText);
        return false;
    }
    return PasswordEncodable();
}

QString TRunCommands::OpenStartFolder() const {
    const QString folder = FView.FolderText();
    return folder.isEmpty() ? FSettings.OpenDir : folder;
}

bool TRunCommands::OpenAllowsSeveral() const {
    return !FSettings.AllMode;
}

void TRunCommands::OpenChosen(const QStringList& files) {
    if (files.isEmpty() || FRun.Busy()) {
        return;
    }
    FRun.State().ListAll = true;
    const QString folder = QFileInfo(files.first()).absolutePath();
    FSettings.OpenDir = folder;
    // Every picked file goes to the run, not only the first.
    StartWithPaths(FSettings.AllMode ? QStringList{folder} : files);
    FView.SetFolderText(folder);
    FView.AddFolderHistory(folder);
}

void TRunCommands::StartWithPaths(const QStringList& paths) {
    std::vector<std::string> native;
    native.reserve(size_t(paths.size()));
    for (const QString& path : paths) {
        native.push_back(QFile::encodeName(path).toStdString());
    }
    FRun.StartRun(native, false);
}

bool TRunCommands::ListIsIdle() const {
    return !FRun.Busy() && FList.rowCount() > 0;
}

void TRunCommands::SelectByState(int Icon) {
    if (ListIsIdle()) {
        murk::SelectByState(FSelection, FList, Icon);
    }
}

void TRunCommands::SelectAll1Click() {
    if (ListIsIdle()) {
        SelectAllRows(FSelection, FList);
    }
}

void TRunCommands::Reverse1Click() {
    if (ListIsIdle()) {
        ReverseSelection(FSelection, FList);
    }
}

void TRunCommands::ListViewColumnClick(int column) {
    FList.ListViewColumnClick(column);
}

}  // namespace murk
