#include "WindowsFixture.h"

#include <QSettings>

#include <algorithm>

#include "PickDialogs.h"
#include "Shell.h"

namespace murktest {

class TFakeTimeline::TTimer : public murk::TLogoutTimer {
public:
    TTimer(std::shared_ptr<TState> state, const int64_t& now)
        : FState(std::move(state)), FNow(now) {}
    ~TTimer() override { FState->Active = false; }

    void Start(std::chrono::milliseconds interval) override {
        FState->Interval = interval.count();
        FState->Due = FNow + interval.count();
        FState->Active = true;
    }
    void Stop() override { FState->Active = false; }
    bool Active() const override { return FState->Active; }

private:
    std::shared_ptr<TState> FState;
    const int64_t& FNow;
};

murk::TLogoutTimerFactory TFakeTimeline::Timers() {
    return [this](std::function<void()> timeout) {
        auto state = std::make_shared<TState>();
        state->Timeout = std::move(timeout);
        FStates.push_back(state);
        return std::make_unique<TTimer>(state, FNow);
    };
}

void TFakeTimeline::Advance(std::chrono::milliseconds by) {
    const int64_t target = FNow + by.count();
    for (;;) {
        std::shared_ptr<TState> next;
        for (const auto& state : FStates) {
            if (state->Active && state->Due <= target && (!next || state->Due < next->Due)) {
                next = state;
            }
        }
        if (!next) {
            break;
        }
        FNow = next->Due;
        next->Due += next->Interval;
        next->Timeout();
    }
    FNow = target;
}

void TWindowsTest::SetUp() {
    TAppHomeTest::SetUp();
    murk::SetMessageAnswer([this](const murk::TShownMessage& message) {
        FMessages.push_back(message);
        return FMessageAnswer;
    });
    // No test may reach the desktop or open a real dialog.
    murk::SetOpenUrlHandler([](const QUrl&) { return false; });
    murk::SetStartProgramHandler([](const QString&) { return false; });
    murk::SetColorAnswer([](const QColor&) { return std::nullopt; });
    murk::SetFontAnswer([](const QFont&) { return std::nullopt; });
}

void TWindowsTest::TearDown() {
    murk::SetMessageAnswer({});
    murk::SetOpenUrlHandler({});
    murk::SetStartProgramHandler({});
    murk::SetProgramFolder({});
    murk::SetColorAnswer({});
    murk::SetFontAnswer({});
    TAppHomeTest::TearDown();
}

QStringList TWindowsTest::MessageTexts() const {
    QStringList texts;
    for (const auto& message : FMessages) {
        texts << message.Text;
    }
    return texts;
}

QString TWindowsTest::Registry(const QString& key) const {
    const QSettings registry(QString::fromStdString(Path("registry.ini")), QSettings::IniFormat);
    return registry.value(key).toString();
}

}  // namespace murktest
