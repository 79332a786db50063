#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "Logout.h"
#include "WindowsFixture.h"

using namespace murk;
using namespace std::chrono_literals;

namespace {

class Logout : public murktest::TWindowsTest {
protected:
    void SetUp() override {
        TWindowsTest::SetUp();
        FSettings.LogoutMinutes = 1;
        FSettings.MainTitle = "Title";
        FMonitor = std::make_unique<TLogoutMonitor>(
            FSettings, [this] { return FBusy; }, FTimeline.Timers());
        QObject::connect(FMonitor.get(), &TLogoutMonitor::CaptionChanged,
                         [this](const QString& caption) { FCaptions << caption; });
        QObject::connect(FMonitor.get(), &TLogoutMonitor::LogoutRequested, [this] { ++FLogouts; });
        qApp->installEventFilter(FMonitor.get());
        FWindow.show();
        FMonitor->RestartLogout();
    }

    void TearDown() override {
        qApp->removeEventFilter(FMonitor.get());
        TWindowsTest::TearDown();
    }

    QString Caption() const { return FCaptions.isEmpty() ? QString() : FCaptions.last(); }
    static QString Counting(int seconds) {
        return QStringLiteral("Title Version 3.00 Beta5  [ %1 ]").arg(seconds);
    }

    TAppSettings FSettings;
    bool FBusy = false;
    murktest::TFakeTimeline FTimeline;
    std::unique_ptr<TLogoutMonitor> FMonitor;
    QStringList FCaptions;
    int FLogouts = 0;
    QPushButton FWindow{"window"};
};

}  // namespace

TEST_F(Logout, CountsDownInTheCaptionAndLogsOutAMinuteAfterTheLastClick) {
    FTimeline.Advance(1s);
    EXPECT_EQ(Caption(), Counting(59));
    FTimeline.Advance(1s);
    EXPECT_EQ(Caption(), Counting(58));
    FTimeline.Advance(28s);
    EXPECT_EQ(Caption(), Counting(30));

    QSignalSpy clicked(&FWindow, &QPushButton::clicked);
    QTest::mouseClick(&FWindow, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1) << "the click must reach the window";
    FTimeline.Advance(1s);
    EXPECT_EQ(Caption(), Counting(59));

    FTimeline.Advance(58999ms);
    EXPECT_EQ(FLogouts, 0);
    FTimeline.Advance(1ms);
    EXPECT_EQ(FLogouts, 1);
}

TEST_F(Logout, OnlyLeftAndRightButtonsRestartTheCountdown) {
    struct Case {
        const char* name;
        std::function<QEvent*()> event;
        bool restarts;
    };
    const QPointF at(5, 5);
    auto mouse = [at](QEvent::Type type, Qt::MouseButton button) {
        return [=] {
            return new QMouseEvent(type, at, at, button,
                                   type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                                   Qt::NoModifier);
        };
    };
    const Case cases[] = {
        {"left press", mouse(QEvent::MouseButtonPress, Qt::LeftButton), true},
        {"left release", mouse(QEvent::MouseButtonRelease, Qt::LeftButton), true},
        {"right press", mouse(QEvent::MouseButtonPress, Qt::RightButton), true},
        {"right release", mouse(QEvent::MouseButtonRelease, Qt::RightButton), true},
        {"middle press", mouse(QEvent::MouseButtonPress, Qt::MiddleButton), false},
        {"double-click", mouse(QEvent::MouseButtonDblClick, Qt::LeftButton), false},
        {"move", mouse(QEvent::MouseMove, Qt::NoButton), false},
        {"wheel",
         [at] {
             return new QWheelEvent(at, at, QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                                    Qt::NoScrollPhase, false);
         },
         false},
        {"key press",
         [] { return new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"); }, false},
        {"key release",
         [] { return new QKeyEvent(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a"); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FMonitor->RestartLogout();
        FTimeline.Advance(10s);
        std::unique_ptr<QEvent> event(c.event());
        QApplication::sendEvent(&FWindow, event.get());
        FTimeline.Advance(1s);
        EXPECT_EQ(Caption(), Counting(c.restarts ? 59 : 49));
    }
}

TEST_F(Logout, TypingDoesNotPostponeTheLogout) {
    for (int second = 0; second < 60; ++second) {
        QTest::keyClick(&FWindow, Qt::Key_A);
        FTimeline.Advance(1s);
    }
    EXPECT_EQ(FLogouts, 1);
}

TEST_F(Logout, ClicksInAModalDialogCount) {
    QDialog dialog(&FWindow);
    auto* button = new QPushButton("OK", &dialog);
    (new QVBoxLayout(&dialog))->addWidget(button);
    dialog.open();
    FTimeline.Advance(50s);
    QTest::mouseClick(button, Qt::RightButton);
    FTimeline.Advance(50s);
    EXPECT_EQ(FLogouts, 0);
    EXPECT_EQ(Caption(), Counting(10));
}

TEST_F(Logout, ARunHoldsTheCountdown) {
    FBusy = true;
    FTimeline.Advance(10min);
    EXPECT_EQ(FLogouts, 0);
    EXPECT_EQ(Caption(), Counting(59));

    FBusy = false;
    FTimeline.Advance(59s);
    EXPECT_EQ(FLogouts, 0);
    FTimeline.Advance(1s);
    EXPECT_EQ(FLogouts, 1);
}

TEST_F(Logout, SwitchedOffStopsThePendingLogoutAndTheCountdown) {
    FTimeline.Advance(5s);
    FSettings.AutoLogout = false;
    FMonitor->RestartLogout();
    EXPECT_FALSE(FMonitor->LogoutPending());
    FTimeline.Advance(1s);
    const qsizetype shown = FCaptions.size();
    FTimeline.Advance(10min);
    EXPECT_EQ(FLogouts, 0);
    EXPECT_EQ(FCaptions.size(), shown);
}
