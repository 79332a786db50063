#include "MainFixture.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "Shell.h"

namespace murktest {

void TMainTest::SetUp() {
    TWindowsTest::SetUp();
    // The home folder is where the program falls back to; an empty one lists
    // quickly.
    FSavedHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(FHomeFolder.Path()));
    murk::SetOpenUrlHandler([this](const QUrl& url) {
        FOpened << url;
        return true;
    });
    WriteRegistry("d0=0\n");
}

void TMainTest::TearDown() {
    FWindows.reset();
    qputenv("HOME", FSavedHome);
    TWindowsTest::TearDown();
}

murk::TMainFm& TMainTest::Start(const QStringList& arguments) {
    FWindows = std::make_unique<murk::TWindows>(arguments);
    FWindows->MainFm.show();
    EXPECT_TRUE(WaitIdle(FWindows->MainFm)) << "start-up did not end";
    return FWindows->MainFm;
}

void TMainTest::Stop() {
    if (FWindows) {
        FWindows->MainFm.btnExitClick();
        EXPECT_TRUE(QTest::qWaitFor([this] { return !FWindows->MainFm.isVisible(); }, 10000));
        FWindows.reset();
    }
}

bool TMainTest::WaitIdle(murk::TMainFm& window) {
    return QTest::qWaitFor([&window] { return window.Started() && !window.Busy(); }, 20000);
}

void TMainTest::AnswerModal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer = std::move(answer)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start(10);
}

void TMainTest::WriteIni(const std::string& lines) const {
    WriteText(Path("murkw.ini"), "[Murkwell]\n" + lines);
}

void TMainTest::WriteRegistry(const std::string& lines) const {
    WriteText(Path("registry.ini"), "[General]\n" + lines);
}

std::string TMainTest::Picture(const std::string& name, int width, int height) const {
    const std::string path = FPictures.File(name);
    WriteBytes(path, MakeJpeg(width, height));
    return path;
}

QStringList TMainTest::FileNames(murk::TMainFm& window) const {
    QStringList names;
    for (int row = 0; row < window.List().rowCount(); ++row) {
        names << QString::fromStdString(window.List().Row(row).FileName);
    }
    return names;
}

std::vector<int> TMainTest::Icons(murk::TMainFm& window) const {
    std::vector<int> icons;
    for (int row = 0; row < window.List().rowCount(); ++row) {
        icons.push_back(window.List().Row(row).Icon);
    }
    return icons;
}

}  // namespace murktest
