#pragma once

#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>

#include "ProcessEntry.h"
#include "WindowsFixture.h"

namespace murktest {

// The program's windows made as the process entry makes them, on a settings
// folder of their own, with a folder of pictures to list. Message boxes are
// answered, and nothing reaches the desktop.
class TMainTest : public TWindowsTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the main window and waits until its start-up has listed the
    // start folder. Without the login window unless a test wants it.
    murk::TMainFm& Start(const QStringList& arguments = {});
    // Closes the main window as the Exit command does and lets the windows go.
    void Stop();
    static bool WaitIdle(murk::TMainFm& window);

    // Runs answer on the next modal window that opens.
    static void AnswerModal(std::function<void(QWidget*)> answer);

    void WriteIni(const std::string& lines) const;
    void WriteRegistry(const std::string& lines) const;
    // A picture in the folder of pictures: a real JPEG of the given size.
    std::string Picture(const std::string& name, int width = 64, int height = 48) const;
    QString PicturesFolder() const { return QString::fromStdString(FPictures.Path()); }
    QStringList FileNames(murk::TMainFm& window) const;
    std::vector<int> Icons(murk::TMainFm& window) const;

    TTempDir FPictures;
    TTempDir FHomeFolder;
    std::unique_ptr<murk::TWindows> FWindows;
    QList<QUrl> FOpened;

private:
    QByteArray FSavedHome;
};

}  // namespace murktest
