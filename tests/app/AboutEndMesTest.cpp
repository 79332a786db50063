#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "Animation.h"
#include "Shell.h"
#include "WindowsFixture.h"
#include "about.h"
#include "endmes.h"

using namespace murk;

namespace {

class TFakeAboutHost : public TAboutHost {
public:
    bool Busy() const override { return IsBusy; }
    void SetPasswordHistoryItems(const QStringList& items) override { Items = items; }
    void btnExitClick() override { ++Exits; }

    bool IsBusy = false;
    QStringList Items{"shown"};
    int Exits = 0;
};

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class AboutBox : public murktest::TWindowsTest {
protected:
    void SetUp() override {
        TWindowsTest::SetUp();
        SetOpenUrlHandler([this](const QUrl& url) {
            FOpened << url;
            return true;
        });
        SetStartProgramHandler([this](const QString& path) {
            FStarted << path;
            return true;
        });
        // A program folder with the uninstaller the install step puts there.
        WriteFile(FProgram.File("unins000"), "#!/bin/sh\n");
        ::chmod(FProgram.File("unins000").c_str(), 0755);
        SetProgramFolder(QString::fromStdString(FProgram.Path()));
    }

    murktest::TTempDir FProgram;

    TAppSettings FSettings;
    TFakeAboutHost FHost;
    QList<QUrl> FOpened;
    QStringList FStarted;
};

}  // namespace

TEST_F(AboutBox, LogoSwitchesThePasswordHistory) {
    FSettings.PasswordHistory = {"newest", "older", "oldest"};
    TAboutBox about(FSettings, FHost);
    about.show();
    EXPECT_EQ(about.Version->text(), "Version 3.00 Beta5");
    EXPECT_TRUE(about.lbHistory->isVisible());
    EXPECT_TRUE(about.Animate1->Active());

    QTest::mouseClick(about.btnAMurkwell, Qt::LeftButton);
    EXPECT_FALSE(about.lbHistory->isVisible());
    EXPECT_FALSE(FSettings.History);
    EXPECT_TRUE(FHost.Items.isEmpty());
    EXPECT_EQ(FSettings.PasswordHistory.size(), 3);

    QTest::mouseClick(about.btnAMurkwell, Qt::LeftButton);
    EXPECT_TRUE(about.lbHistory->isVisible());
    EXPECT_TRUE(FSettings.History);
    EXPECT_EQ(FHost.Items, QStringList({"newest", "older", "oldest"}));

    QTest::mouseClick(about.SpeedButton1, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(about.Animate1->Active());
}

TEST_F(AboutBox, HistoryOffAtStartHidesTheLabel) {
    FSettings.History = false;
    TAboutBox about(FSettings, FHost);
    about.show();
    EXPECT_FALSE(about.lbHistory->isVisible());
    QTest::mouseClick(about.btnAMurkwell, Qt::LeftButton);
    EXPECT_TRUE(FSettings.History);
}

TEST_F(AboutBox, UninstallAsksFirstAndNeverDuringARun) {
    struct Case {
        const char* name;
        bool busy;
        bool answer;
        bool asked;
        bool uninstalled;
    };
    const Case cases[] = {
        {"busy", true, true, false, false},
        {"cancel", false, false, true, false},
        {"ok", false, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FMessages.clear();
        FStarted.clear();
        FHost = TFakeAboutHost();
        FHost.IsBusy = c.busy;
        FMessageAnswer = c.answer;
        TAboutBox about(FSettings, FHost);
        about.show();
        QTest::mouseClick(about.SpeedButton3, Qt::LeftButton);

        if (c.asked) {
            ASSERT_EQ(FMessages.size(), 1u);
            EXPECT_EQ(FMessages[0].Caption, "Warnning");
            EXPECT_EQ(FMessages[0].Text, "Murkwellをアンインストールしますか？");
            EXPECT_EQ(FMessages[0].Buttons, TMessageButtons::OkCancel);
        } else {
            EXPECT_TRUE(FMessages.empty());
        }
        EXPECT_EQ(FStarted, c.uninstalled ? QStringList{UninstallerPath()} : QStringList{});
        EXPECT_EQ(FHost.Exits, c.uninstalled ? 1 : 0);
        EXPECT_EQ(about.isVisible(), !c.uninstalled);
    }
    EXPECT_TRUE(UninstallerPath().endsWith("/unins000"));
}

TEST_F(AboutBox, WithoutAnUninstallerItSaysWhatRemovesTheProgram) {
    std::remove(FProgram.File("unins000").c_str());
    TAboutBox about(FSettings, FHost);
    about.show();
    QTest::mouseClick(about.SpeedButton3, Qt::LeftButton);
    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_EQ(FMessages[0].Text, UninstallAdvice(ProgramFolder(), PackageListsFolder));
    EXPECT_TRUE(FMessages[0].Text.contains(QStringLiteral("インストールされていません")));
    EXPECT_TRUE(FStarted.isEmpty());
    EXPECT_EQ(FHost.Exits, 0) << "the program goes on";
    EXPECT_TRUE(about.isVisible());
}

TEST(UninstallAdvice, NamesThePackageOrTheFolderTheProgramRunsFrom) {
    murktest::TTempDir lists;
    murktest::TTempDir built;
    const QString installed = QStringLiteral("/usr/lib/murkwell");
    WriteFile(lists.File("other.list"), "/usr\n/usr/lib\n/usr/lib/other\n");
    WriteFile(lists.File("murkwell:amd64.list"),
              "/.\n/usr\n/usr/lib\n/usr/lib/murkwell\n/usr/lib/murkwell/murkwell\n");
    const QString packages = QString::fromStdString(lists.Path());

    const QString package = UninstallAdvice(installed, packages);
    EXPECT_TRUE(package.contains(QStringLiteral("パッケージ「murkwell」")))
        << package.toStdString();
    EXPECT_TRUE(package.endsWith(QStringLiteral("sudo apt remove murkwell")));

    const QString folder = QString::fromStdString(built.Path());
    const QString buildTree = UninstallAdvice(folder, packages);
    EXPECT_TRUE(buildTree.contains(folder)) << buildTree.toStdString();
    EXPECT_TRUE(buildTree.contains(QStringLiteral("アンインストールするものはありません")));

    WriteFile(built.File("unins000"), "#!/bin/sh\n");
    ::chmod(built.File("unins000").c_str(), 0755);
    EXPECT_TRUE(UninstallAdvice(folder, packages).isEmpty());
}

TEST_F(AboutBox, ProgramClosesWhenTheUninstallerCannotStart) {
    SetStartProgramHandler([](const QString&) { return false; });
    TAboutBox about(FSettings, FHost);
    about.show();
    QTest::mouseClick(about.SpeedButton3, Qt::LeftButton);
    EXPECT_EQ(FHost.Exits, 1);
    EXPECT_EQ(FMessages.size(), 1u);
}

TEST_F(AboutBox, LinksOpenTheHomePageAndTheMailProgram) {
    TAboutBox about(FSettings, FHost);
    about.show();
    QTest::mouseClick(about.SpeedButton2, Qt::LeftButton);
    QTest::mouseClick(about.Label1, Qt::LeftButton);
    ASSERT_EQ(FOpened.size(), 2);
    EXPECT_EQ(FOpened[0], HomePageUrl);
    EXPECT_EQ(FOpened[1].scheme(), "mailto");
    EXPECT_EQ(FOpened[1].path(), MailAddress);
}

TEST(EndMessage, ClosesOnAClickAnywhereOnIt) {
    const std::pair<const char*, std::function<QWidget*(TEndMesDlg&)>> parts[] = {
        {"text", [](TEndMesDlg& m) { return m.StaticText1; }},
        {"picture", [](TEndMesDlg& m) { return m.Image1; }},
        {"panel", [](TEndMesDlg& m) { return m.Panel1; }},
        {"border", [](TEndMesDlg& m) { return &m; }},
    };
    for (const auto& [name, part] : parts) {
        SCOPED_TRACE(name);
        TEndMesDlg message;
        message.show();
        QTest::mouseClick(part(message), Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
        EXPECT_FALSE(message.isVisible());
        EXPECT_EQ(message.result(), QDialog::Accepted);
    }
}

TEST(EndMessage, IsPlacedAndTextedByItsCaller) {
    TEndMesDlg message;
    EXPECT_EQ(message.windowTitle(), "  ");
    EXPECT_EQ(message.StaticText1->text(), "Process is end.");
    QTimer::singleShot(0, &message, [&] {
        EXPECT_TRUE(message.isVisible());
        EXPECT_EQ(message.StaticText1->text(), "Check is end.");
        EXPECT_EQ(message.pos(), QPoint(300, 200));
        QTest::mouseClick(message.StaticText1, Qt::LeftButton);
    });
    EXPECT_EQ(message.ShowAt(QPoint(300, 200), "Check is end."), QDialog::Accepted);
    EXPECT_FALSE(message.isVisible());
}
