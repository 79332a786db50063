#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class QItemSelectionModel;

namespace murk {

class TBatchRun;
class TFileListModel;
class TRunView;
struct TAppSettings;

// The user's entry points into the runs, and the switches that decide
// what a run does. Each takes what the widget hands over.
class TRunCommands {
public:
    TRunCommands(TBatchRun& run, TFileListModel& list, QItemSelectionModel& selection,
                 TAppSettings& settings, TRunView& view);

    // Tag 1 shields, 0 restores: the selected rows, on the main thread.
    void RunCommand(int Tag);
    void ppMurkwellNormalClick();
    void ppMurkwellExtraClick();
    void ppMurkwellUltraClick();
    void ppJpzEncodeClick();
    void ppUnMurkwellClick();

    void btnCancelClick();
    void btnMurkwellClick();
    void ItmMurkCheckModeClick();
    void OptionClick();
    void btnAllModeClick();
    void btnSubDirClick();
    void btnExtraClick();

    void WMDropFiles(const QStringList& paths);

    // The Open command, around the file dialog the window shows: whether
    // to show it, where it starts, whether several files may be picked,
    // and what was picked (nothing when it was cancelled).
    bool btnOpenClick();
    QString OpenStartFolder() const;
    bool OpenAllowsSeveral() const;
    void OpenChosen(const QStringList& files);

    void SelectByState(int Icon);
    void SelectAll1Click();
    void Reverse1Click();
    void ListViewColumnClick(int column);

private:
    // The password checks of a menu command; the user is told of a refusal.
    bool PasswordAccepted(bool shield);
    // False, after telling the user, when the run would use a password
    // that has a character without a CP932 code.
    bool PasswordEncodable();
    void ShieldWithPassword(int32_t ShieldKind, int Tag);
    void StartWithPaths(const QStringList& paths);
    bool ListIsIdle() const;

    TBatchRun& FRun;
    TFileListModel& FList;
    QItemSelectionModel& FSelection;
    TAppSettings& FSettings;
    TRunView& FView;
};

}  // namespace murk
