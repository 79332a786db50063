#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "Rgb.h"

namespace murk {

enum class TPanel { Total, Processed, Time, FileName, TotalSize, ProcessedSize };

enum class TToggleButton { AllMode, SubDir, Extra };

enum class TMenuItem { MurkwellUltra, JpzEncode, EndMessage, MurkCheckMode };

// Where the end message's top-left corner goes.
enum class TEndMessagePlace { ListViewCentre, WindowCentre };

// A file that a run could not handle, and why, in words a user can read.
struct TRunFailure {
    QString Path;
    QString Reason;
    friend bool operator==(const TRunFailure&, const TRunFailure&) = default;
};

// What the runs and their commands need of the main window. Every call
// comes on the main thread.
class TRunView {
public:
    virtual ~TRunView() = default;

    virtual void SetPanelText(TPanel panel, const QString& text) = 0;
    virtual void SetPanelColor(TPanel panel, TRgb color) = 0;
    virtual void SetOperationButton(const QString& caption, TRgb color) = 0;
    virtual void SetToggleButton(TToggleButton button, const QString& caption, int image) = 0;

    virtual QString PasswordText() const = 0;
    virtual void SetPasswordText(const QString& text) = 0;
    virtual void SetPasswordEnabled(bool enabled) = 0;
    virtual void FocusPassword() = 0;
    virtual void SetPasswordHistoryItems(const QStringList& items) = 0;
    virtual void SetPasswordLabelLook(TRgb text, TRgb shadow) = 0;

    virtual void SetMenuItemVisible(TMenuItem item, bool visible) = 0;
    virtual void SetMenuItemChecked(TMenuItem item, bool checked) = 0;

    virtual QString FolderText() const = 0;
    virtual void SetFolderText(const QString& text) = 0;
    // Registers the folder in the folder history and refills the folder box.
    virtual void AddFolderHistory(const QString& folder) = 0;

    virtual void ShowPreview() = 0;
    // Forgets the picture shown, so that the next ShowPreview loads it again.
    virtual void ForgetPreview() = 0;

    virtual void SetCancelEnabled(bool enabled) = 0;
    virtual void SetProgress(int percent) = 0;
    virtual void SetAnimation(bool running) = 0;
    virtual void ProcessEvents() = 0;
    virtual void RestartLogout() = 0;

    // Each of these is shown modally.
    virtual void ShowMessage(const QString& caption, const QString& text) = 0;
    virtual void ShowEndMessage(TEndMessagePlace place, const QString& text) = 0;
    virtual void ShowFailures(const std::vector<TRunFailure>& failures) = 0;
};

}  // namespace murk
