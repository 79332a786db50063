#include "FolderChoice.h"

#include <QFile>

#include "AppSettings.h"
#include "BatchRun.h"
#include "FolderScan.h"
#include "RunView.h"

namespace murk {

TFolderChoice::TFolderChoice(TBatchRun& run, TAppSettings& settings, TRunView& view)
    : FRun(run), FSettings(settings), FView(view) {}

void TFolderChoice::TreeViewClick(const QString& FolderName) {
    // A processing run is never interrupted by a folder choice.
    if (FRun.Busy() && !FRun.IsCheckMode()) {
        return;
    }
    FTyping = false;
    const std::string folder = QFile::encodeName(FolderName).toStdString();
    if (!IsFolder(folder) || FolderName == FLastFolder) {
        return;
    }
    FLastFolder = FolderName;
    // A choice made while this one waits takes over from it.
    FRun.CancelAndWait([&] { return FLastFolder != FolderName; });
    if (FRun.Busy() || FLastFolder != FolderName) {
        return;
    }
    if (!FRun.IsCheckMode()) {
        FSettings.MurkCheckMode = true;
        FView.SetMenuItemChecked(TMenuItem::MurkCheckMode, true);
        FRun.SetOperationPosition(2);
    }
    FView.SetFolderText(FolderName);
    FView.SetAnimation(true);
    FRun.StartRun({folder}, true);
}

void TFolderChoice::cbDirKeyDown(int Key, const QString& text) {
    FTyping = true;
    if (Key == 13) {
        FTyping = false;
        TreeViewClick(text);
    }
}

void TFolderChoice::cbDirChange(const QString& text) {
    if (!FTyping) {
        TreeViewClick(text);
    }
}

void TFolderChoice::btnRefreshClick() {
    FLastFolder.clear();
    TreeViewClick(FView.FolderText());
}

}  // namespace murk
