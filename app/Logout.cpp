#include "Logout.h"

#include <QEvent>
#include <QMouseEvent>
#include <QTimer>

#include "Shell.h"

namespace murk {

namespace {

using namespace std::chrono_literals;

class TQtLogoutTimer : public TLogoutTimer {
public:
    explicit TQtLogoutTimer(std::function<void()> timeout) {
        QObject::connect(&FTimer, &QTimer::timeout, std::move(timeout));
    }
    void Start(std::chrono::milliseconds interval) override { FTimer.start(interval); }
    void Stop() override { FTimer.stop(); }
    bool Active() const override { return FTimer.isActive(); }

private:
    QTimer FTimer;
};

bool RestartsLogout(const QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease) {
        return false;
    }
    const Qt::MouseButton button = static_cast<const QMouseEvent*>(event)->button();
    return button == Qt::LeftButton || button == Qt::RightButton;
}

}  // namespace

TLogoutTimerFactory QtLogoutTimers() {
    return [](std::function<void()> timeout) {
        return std::make_unique<TQtLogoutTimer>(std::move(timeout));
    };
}

TLogoutMonitor::TLogoutMonitor(const TAppSettings& settings, std::function<bool()> busy,
                               const TLogoutTimerFactory& timers, QObject* parent)
    : QObject(parent),
      FSettings(settings),
      FBusy(std::move(busy)),
      FLogoutTimer(timers([this] { emit LogoutRequested(); })),
      FMoniTimer(timers([this] { MoniTimerTick(); })) {}

TLogoutMonitor::~TLogoutMonitor() = default;

void TLogoutMonitor::RestartLogout() {
    FLogoutTimer->Stop();
    if (!FSettings.AutoLogout) {
        return;
    }
    FLogoutTimer->Start(std::chrono::minutes(FSettings.LogoutMinutes));
    FMoniTimer->Stop();
    FLogoutCountdown = FSettings.LogoutMinutes * 60;
    FMoniTimer->Start(1s);
}

bool TLogoutMonitor::LogoutPending() const {
    return FLogoutTimer->Active();
}

bool TLogoutMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (RestartsLogout(event)) {
        RestartLogout();
    }
    return QObject::eventFilter(watched, event);
}

void TLogoutMonitor::MoniTimerTick() {
    if (!FSettings.AutoLogout) {
        FMoniTimer->Stop();
        return;
    }
    if (FBusy()) {
        RestartLogout();
    }
    --FLogoutCountdown;
    emit CaptionChanged(FSettings.MainTitle + QLatin1Char(' ') + VersionText +
                        QStringLiteral("  [ ") + QString::number(FLogoutCountdown) +
                        QStringLiteral(" ]"));
}

}  // namespace murk
