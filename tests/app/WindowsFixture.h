#pragma once

#include <QStringList>

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "AppHome.h"
#include "Logout.h"
#include "MessageBox.h"

namespace murktest {

// Timers that move only when the test moves the clock on.
class TFakeTimeline {
public:
    murk::TLogoutTimerFactory Timers();
    // Moves the clock on, firing every timer that falls due on the way, in
    // order of time.
    void Advance(std::chrono::milliseconds by);
    int64_t NowMs() const { return FNow; }

private:
    struct TState {
        int64_t Interval = 0;
        int64_t Due = 0;
        bool Active = false;
        std::function<void()> Timeout;
    };
    class TTimer;

    int64_t FNow = 0;
    std::vector<std::shared_ptr<TState>> FStates;
};

// A settings folder of its own, and every message box answered and kept.
class TWindowsTest : public TAppHomeTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // What the next boxes answer: OK (true) or Cancel.
    bool FMessageAnswer = true;
    std::vector<murk::TShownMessage> FMessages;

    QStringList MessageTexts() const;
    // The value of a key of registry.ini; empty when it is missing.
    QString Registry(const QString& key) const;
};

}  // namespace murktest
