#include "ProcessEntry.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <memory>

#include "QtJapanese.h"
#include "SingleInstance.h"

namespace murk {

namespace {

constexpr int ScreenshotPollMs = 200;
// Gives up on a listing that never ends rather than waiting for ever.
constexpr int ScreenshotPolls = 600;

// Polls until the window has started and listed its folder, then waits one
// more poll so the rows and the preview are painted, saves the window, opens
// the help drop-down and saves the screen beside it ("-help.png"), so the
// Japanese items can be seen too.
void SaveScreenshotWhenListed(TMainFm& window, const QString& path) {
    auto* timer = new QTimer(&window);
    auto polls = std::make_shared<int>(0);
    auto stage = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, &window, [&window, path, timer, polls, stage] {
        const bool listed = window.Started() && !window.Busy();
        if (*stage == 2) {
            QString helpPath = path;
            if (helpPath.endsWith(QStringLiteral(".png"))) {
                helpPath.chop(4);
            }
            helpPath += QStringLiteral("-help.png");
            if (QScreen* screen = QGuiApplication::primaryScreen()) {
                screen->grabWindow(0).save(helpPath, "PNG");
            }
            window.ppHelps->hide();
        } else if (*stage == 1 && listed) {
            window.grab().save(path, "PNG");
            window.ppHelps->popup(window.btnHelp->mapToGlobal(window.btnHelp->rect().bottomLeft()));
            *stage = 2;
            return;
        } else if (++*polls < ScreenshotPolls) {
            *stage = listed ? 1 : 0;
            return;
        }
        timer->stop();
        window.close();
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
    InstallQtJapanese(application);
    // The name of the installed desktop entry, so the desktop matches the
    // window with its entry and icon.
    QApplication::setDesktopFileName(QStringLiteral("org.example.murkwell"));
    TWindows windows(QApplication::arguments().mid(1));
    windows.MainFm.show();
    const QString screenshot = qEnvironmentVariable("MURKWELL_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        SaveScreenshotWhenListed(windows.MainFm, screenshot);
    }
    return application.exec();
}

}  // namespace murk
