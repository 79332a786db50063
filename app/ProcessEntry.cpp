#include "ProcessEntry.h"

#include <QApplication>
#include <QTimer>

#include "SingleInstance.h"

namespace murk {

namespace {

constexpr int ScreenshotPollMs = 200;
// Gives up on a listing that never ends rather than waiting for ever.
constexpr int ScreenshotPolls = 600;

// Polls until the window has started and listed its folder, then waits one
// more poll so the rows and the preview are painted.
void SaveScreenshotWhenListed(TMainFm& window, const QString& path) {
    auto* timer = new QTimer(&window);
    auto polls = std::make_shared<int>(0);
    auto ready = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, &window, [&window, path, timer, polls, ready] {
        const bool listed = window.Started() && !window.Busy();
        if (*ready && listed) {
            timer->stop();
            window.grab().save(path, "PNG");
            window.close();
        } else if (++*polls >= ScreenshotPolls) {
            timer->stop();
            window.close();
        }
        *ready = listed;
    });
    timer->start(ScreenshotPollMs);
}

}  // namespace

TWindows::TWindows(const QStringList& arguments)
    : MainFm(arguments),
      AboutBox(MainFm.Settings(), MainFm, &MainFm),
      EndMesDlg(&MainFm),
      dlgMurkin(MainFm.Settings(), &MainFm),
      dlgOption(MainFm.Settings(), MainFm, &MainFm) {
    MainFm.SetWindows(&AboutBox, &EndMesDlg, &dlgMurkin, &dlgOption);
}

int MurkwellMain(int argc, char** argv) {
    TSingleInstance instance;
    if (!instance.Acquire()) {
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("murkwell"));
    TWindows windows(QApplication::arguments().mid(1));
    windows.MainFm.show();
    const QString screenshot = qEnvironmentVariable("MURKWELL_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        SaveScreenshotWhenListed(windows.MainFm, screenshot);
    }
    return application.exec();
}

}  // namespace murk
