#pragma once

#include <QItemSelectionModel>
#include <QStringList>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "BatchRun.h"
#include "FileListModel.h"
#include "FolderChoice.h"
#include "RunClock.h"
#include "RunCommands.h"
#include "RunView.h"
#include "TestFiles.h"

namespace batchtest {

using namespace murk;

// Records what the run shows; hooks let a test act as the user would
// while a run goes on.
class TFakeRunView : public TRunView {
public:
    void SetPanelText(TPanel panel, const QString& text) override;
    void SetPanelColor(TPanel panel, TRgb color) override { PanelColors[panel] = color; }
    void SetOperationButton(const QString& caption, TRgb color) override;
    void SetToggleButton(TToggleButton button, const QString& caption, int image) override {
        Toggles[button] = {caption, image};
    }
    QString PasswordText() const override { return Password; }
    void SetPasswordText(const QString& text) override { Password = text; }
    void SetPasswordEnabled(bool enabled) override { PasswordEnabled = enabled; }
    void FocusPassword() override { ++PasswordFocus; }
    void SetPasswordHistoryItems(const QStringList& items) override { HistoryItems = items; }
    void SetPasswordLabelLook(TRgb text, TRgb shadow) override { LabelLook = {text, shadow}; }
    void SetMenuItemVisible(TMenuItem item, bool visible) override { Visible[item] = visible; }
    void SetMenuItemChecked(TMenuItem item, bool checked) override { Checked[item] = checked; }
    QString FolderText() const override { return Folder; }
    void SetFolderText(const QString& text) override { Folder = text; }
    void AddFolderHistory(const QString& folder) override { FolderHistory.append(folder); }
    void ShowPreview() override { ++Previews; }
    void ForgetPreview() override { ++PreviewResets; }
    void SetCancelEnabled(bool enabled) override { CancelEnabled = enabled; }
    void SetProgress(int percent) override { Progress = percent; }
    void SetAnimation(bool running) override { Animating = running; }
    void ProcessEvents() override;
    void RestartLogout() override { ++LogoutRestarts; }
    void ShowMessage(const QString& caption, const QString& text) override {
        Messages.emplace_back(caption, text);
    }
    void ShowEndMessage(TEndMessagePlace place, const QString& text) override {
        EndMessages.emplace_back(place, text);
    }
    void ShowFailures(const std::vector<TRunFailure>& failures) override {
        FailureReports.push_back(failures);
    }

    std::map<TPanel, QString> Panels;
    std::map<TPanel, TRgb> PanelColors;
    QString OperationCaption;
    TRgb OperationColor;
    std::vector<QString> OperationCaptions;
    std::map<TToggleButton, std::pair<QString, int>> Toggles;
    QString Password;
    bool PasswordEnabled = false;
    int PasswordFocus = 0;
    QStringList HistoryItems;
    std::pair<TRgb, TRgb> LabelLook;
    std::map<TMenuItem, bool> Visible;
    std::map<TMenuItem, bool> Checked;
    QString Folder;
    QStringList FolderHistory;
    int Previews = 0;
    int PreviewResets = 0;
    bool CancelEnabled = false;
    int Progress = -1;
    bool Animating = false;
    int LogoutRestarts = 0;
    std::vector<QString> FileNamePanels;
    std::vector<std::pair<QString, QString>> Messages;
    std::vector<std::pair<TEndMessagePlace, QString>> EndMessages;
    std::vector<std::vector<TRunFailure>> FailureReports;

    // Called after each file-name panel and at each ProcessEvents.
    std::function<void(const QString&)> OnFileName;
    std::function<void()> OnProcessEvents;
};

class TFakeClock : public TRunClock {
public:
    int64_t NowMs() const override { return Now; }
    int64_t Now = 1000000;
};

// The batch layer as the main window holds it, after the window's start-up
// (password mode on, operation button at "Murkwell").
struct TBatch {
    TBatch();

    // Lets events through until the run has ended; fails after 60 seconds.
    void WaitIdle();
    // The state a run leaves behind: not busy, Cancel disabled, the progress
    // timer stopped, the animation off and the bar at 0.
    bool Idle() const;
    std::vector<int> Icons() const;
    std::vector<std::string> FileNames() const;
    std::vector<int32_t> Numbers() const;
    void SelectRows(const std::vector<int>& rows);
    // Lists a folder through the folder choice and waits for the listing.
    void ListFolder(const std::string& folder);

    TFileListModel Rows;
    QItemSelectionModel Selection{&Rows};
    TAppSettings Settings;
    TFakeRunView View;
    TFakeClock Clock;
    TBatchRun Run{Rows, Selection, Settings, View, Clock};
    TRunCommands Commands{Run, Rows, Selection, Settings, View};
    TFolderChoice Folders{Run, Settings, View};
};

QString Q(const std::string& path);

// The path of every file the run reported with its reason.
using TFailures = std::map<std::string, std::string>;
TFailures FailuresOf(const TBatch& batch);

}  // namespace batchtest
