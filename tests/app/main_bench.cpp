// main_bench
// Not a test: prints two figures of the main window, each the median of
// five runs where it says so.
// - The preview of a 6000 x 4000 JPEG, from selecting its row to the painted
//   pane, against djpeg's full decode of the same file (median of five each).
// - Start-up to a shown window with a folder of 20,000 pictures chosen, when
//   the listing run ends, and the longest gap between 10 ms timer ticks
//   while it runs.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "ProcessEntry.h"
#include "TestFiles.h"

namespace {

using namespace murk;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void WaitUntil(const std::function<bool()>& done) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

void Preview(const murktest::TTempDir& work) {
    const std::string pictures = work.File("preview");
    QDir().mkpath(QString::fromStdString(pictures));
    murktest::WriteBytes(pictures + "/a.jpg", murktest::MakeJpeg(64, 48));
    murktest::WriteBytes(pictures + "/b.jpg", murktest::MakeJpeg(6000, 4000, 90));

    TWindows windows({QString::fromStdString(pictures)});
    TMainFm& window = windows.MainFm;
    window.show();
    WaitUntil([&] { return window.Started() && !window.Busy(); });

    std::vector<double> preview;
    for (int run = 0; run < 6; ++run) {
        window.btnBackClick();
        QElapsedTimer timer;
        timer.start();
        window.btnNextClick();
        window.pbImageArea->repaint();
        // The first run warms the caches.
        if (run > 0) {
            preview.push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    std::vector<double> decode;
    const QString big = QString::fromStdString(pictures + "/b.jpg");
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        DecodePreview(big, window.pbImageArea->size());
        decode.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::vector<double> djpeg;
    for (int run = 0; run < 6; ++run) {
        QElapsedTimer timer;
        timer.start();
        QProcess::execute(QStringLiteral("djpeg"),
                          {QStringLiteral("-outfile"), QStringLiteral("/dev/null"),
                           QString::fromStdString(pictures + "/b.jpg")});
        if (run > 0) {
            djpeg.push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    const QSize pane = window.pbImageArea->size();
    std::printf("preview of 6000x4000 in a %dx%d pane (decoded at %dx%d): %.1f ms\n", pane.width(),
                pane.height(), window.PreviewImage().Image.width(),
                window.PreviewImage().Image.height(), Median(preview));
    std::printf("  of which the decode alone: %.1f ms\n", Median(decode));
    std::printf("djpeg full decode of the same file: %.1f ms\n", Median(djpeg));
    window.close();
}

void StartUp(const murktest::TTempDir& work) {
    const std::string pictures = work.File("many");
    QDir().mkpath(QString::fromStdString(pictures));
    const murktest::TBytes picture = murktest::MakeJpeg(16, 16);
    char name[32];
    for (int i = 0; i < 20000; ++i) {
        std::snprintf(name, sizeof name, "/%05d.jpg", i);
        murktest::WriteBytes(pictures + name, picture);
    }

    QElapsedTimer clock;
    clock.start();
    TWindows windows({QString::fromStdString(pictures)});
    TMainFm& window = windows.MainFm;
    qint64 shown = -1;
    struct TPaintWatch : QObject {
        std::function<void()> Painted;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                Painted();
            }
            return false;
        }
    } watch;
    watch.Painted = [&] {
        if (shown < 0) {
            shown = clock.elapsed();
        }
    };
    window.installEventFilter(&watch);
    window.show();

    qint64 lastTick = -1;
    qint64 longestGap = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (lastTick >= 0) {
            longestGap = std::max(longestGap, now - lastTick);
        }
        lastTick = now;
    });
    ticks.start(10);
    WaitUntil([&] { return window.Started() && !window.Busy(); });
    const qint64 listed = clock.elapsed();
    window.removeEventFilter(&watch);
    std::printf(
        "start-up with 20,000 pictures: window painted at %lld ms, listing ended at %lld ms "
        "(%d rows), longest gap between 10 ms ticks %lld ms\n",
        static_cast<long long>(shown), static_cast<long long>(listed), window.List().rowCount(),
        static_cast<long long>(longestGap));
    window.close();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    murktest::TTempDir work;
    qputenv("MURKWELL_HOME", QByteArray::fromStdString(work.Path()));
    // Without the login window.
    const std::string registry = "[General]\nd0=0\n";
    murktest::WriteBytes(work.File("registry.ini"),
                         murktest::TBytes(registry.begin(), registry.end()));
    QApplication application(argc, argv);
    Preview(work);
    StartUp(work);
    return 0;
}
