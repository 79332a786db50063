#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "Codec.h"
#include "Rgb.h"

namespace murk {

enum class TPanel { Total, Processed, Time, FileName, TotalSize, ProcessedSize };

enum class TToggleButton { AllMode, SubDir, Extra };

enum class TMenuItem { MurkwellUltra, JpzEncode, EndMessage, MurkCheckMode };

// Where the end message's top-left corner goes.
enum class TEndMessagePlace { ListViewCentre, WindowCentre };

// What kept a file back, for the window to say in its own words.
enum class TFailureKind {
    // The codec refused the file: Refusal, with OtherNames for
    // TRefusal::OtherNames; Detail is the system's message when there is one.
    Refused,
    // The file could not be opened or read; Detail is the system's message.
    CannotOpen,
    // The file is larger than the process can hold.
    TooLarge,
    // The password holds a character that Shift-JIS cannot encode.
    PasswordNotCp932,
    // Done, but the new file could not be given what Detail names.
    NotKept,
    // The run stopped early (no path); Detail is why.
    RunStopped,
    // Any other failure; Detail is the system's message.
    Error,
};

// A file that a run could not handle, and why: Reason in English words a
// user can read, the rest for the window's own words.
struct TRunFailure {
    QString Path;
    QString Reason;
    TFailureKind Kind = TFailureKind::Error;
    TRefusal Refusal = TRefusal::None;
    uint64_t OtherNames = 0;
    QString Detail;
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
