#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

#include "AppSettings.h"

namespace murk {

// A periodic timer of the logout. The program uses QTimer; tests give timers
// that run on a clock of their own, so they move time instead of waiting.
class TLogoutTimer {
public:
    virtual ~TLogoutTimer() = default;
    // Starts afresh, also when running: the first timeout comes one interval
    // from now.
    virtual void Start(std::chrono::milliseconds interval) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
};

using TLogoutTimerFactory =
    std::function<std::unique_ptr<TLogoutTimer>(std::function<void()> timeout)>;

// Timers on QTimer.
TLogoutTimerFactory QtLogoutTimers();

// Auto-logout: the countdown shown in the main window's caption and the
// logout after LogoutMinutes without a left or right mouse button. Installed
// as an event filter on the application, it sees the clicks of every window,
// modal dialogs included, and lets every event through.
class TLogoutMonitor : public QObject {
    Q_OBJECT
public:
    // settings and busy (whether a processing run is in progress) are read
    // at every tick; both must outlive the monitor.
    TLogoutMonitor(const TAppSettings& settings, std::function<bool()> busy,
                   const TLogoutTimerFactory& timers = QtLogoutTimers(), QObject* parent = nullptr);
    ~TLogoutMonitor() override;

    // Starts the countdown afresh, or with AutoLogout off stops the pending
    // logout (the countdown stops at its next tick).
    void RestartLogout();

    bool LogoutPending() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The main window's caption while the countdown runs.
    void CaptionChanged(const QString& caption);
    // The time is up: the main window closes, which saves the settings and
    // ends the program.
    void LogoutRequested();

private:
    void MoniTimerTick();

    const TAppSettings& FSettings;
    std::function<bool()> FBusy;
    std::unique_ptr<TLogoutTimer> FLogoutTimer;
    std::unique_ptr<TLogoutTimer> FMoniTimer;
    int32_t FLogoutCountdown = 0;
};

}  // namespace murk
