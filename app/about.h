#pragma once

#include <QDialog>
#include <QStringList>

#include "AppSettings.h"

class QLabel;
class QPushButton;
class QToolButton;

namespace murk {

class TAnimate;

// What the about window needs of the main window.
class TAboutHost {
public:
    virtual ~TAboutHost() = default;
    // Whether a processing run is in progress.
    virtual bool Busy() const = 0;
    // The drop-down of the password box.
    virtual void SetPasswordHistoryItems(const QStringList& items) = 0;
    // The Exit command: stops a run, saves the settings and ends the program.
    virtual void btnExitClick() = 0;
};

// The version window with the history switch, the maker's links and the
// uninstall button.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // settings and host must outlive the window.
    TAboutBox(TAppSettings& settings, TAboutHost& host, QWidget* parent = nullptr);

    void btnAMurkwellClick();
    void SpeedButton3Click();

    TAnimate* Animate1;
    QToolButton* btnAMurkwell;
    QLabel* lbHistory;
    QPushButton* SpeedButton2;
    QLabel* Version;
    QLabel* Label1;
    QPushButton* SpeedButton3;
    QPushButton* SpeedButton1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    TAppSettings& FSettings;
    TAboutHost& FHost;
};

}  // namespace murk
