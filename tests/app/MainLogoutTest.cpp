#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

#include "MainFixture.h"
#include "about.h"
#include "dlg_option.h"
#include "endmes.h"
#include "murkin.h"

using namespace murk;

namespace {

class MainLogout : public murktest::TMainTest {
protected:
    bool IniWritten() const { return QFileInfo::exists(QString::fromStdString(Path("murkw.ini"))); }

    // Logs out from inside the next modal window, as the logout timer does
    // while that window holds the event loop; keeps what kind it was.
    void LogoutInNextModal(TMainFm& window) {
        FModalKind.clear();
        FLeftOpen = false;
        AnswerModal([this, &window](QWidget* modal) {
            FModalKind = modal->metaObject()->className();
            window.Logout();
            // A box the logout left open is closed later, so the test
            // fails instead of waiting for ever.
            QTimer::singleShot(2000, modal, [this, modal] {
                if (modal->isVisible()) {
                    FLeftOpen = true;
                    modal->hide();
                }
            });
        });
    }

    QString FModalKind;
    bool FLeftOpen = false;
};

TEST_F(MainLogout, ClosesWhateverBoxIsOpenThenTheWindowAndSaves) {
    Picture("a.jpg");
    struct Case {
        const char* Name;
        const char* Kind;
        bool RealMessageBoxes;
        std::function<void(TMainFm&)> Open;
    };
    const Case cases[] = {
        {"a warning box from a command", "QMessageBox", true,
         [](TMainFm& window) {
             window.SelectAll1->trigger();
             window.SetPasswordText({});
             window.ppMurkwellExtraClick();
         }},
        {"the end message of a run", "murk::TEndMesDlg", false,
         [](TMainFm& window) {
             window.SelectAll1->trigger();
             window.SetPasswordText(QStringLiteral("secret"));
             window.ppMurkwellExtraClick();
         }},
        {"the options dialog", "murk::TdlgOption", false,
         [](TMainFm& window) { window.ppOptionClick(); }},
        {"the about window", "murk::TAboutBox", false,
         [](TMainFm& window) { window.ppAboutClick(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::remove(Path("murkw.ini").c_str());
        TMainFm& window = Start({PicturesFolder()});
        if (c.RealMessageBoxes) {
            SetMessageAnswer({});
        }
        LogoutInNextModal(window);
        c.Open(window);

        EXPECT_EQ(FModalKind.toStdString(), c.Kind);
        EXPECT_FALSE(FLeftOpen) << "the box stayed open";
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000))
            << "the window stays open";
        QTest::qWait(100);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a box opened after the logout";
        EXPECT_TRUE(IniWritten()) << "the settings are saved";
        SetMessageAnswer([this](const TShownMessage& message) {
            FMessages.push_back(message);
            return FMessageAnswer;
        });
        FWindows.reset();
    }
}

TEST_F(MainLogout, ClosesTheLoginWindowAtStart) {
    WriteRegistry("d0=1\n");
    FWindows = std::make_unique<TWindows>(QStringList{PicturesFolder()});
    TMainFm& window = FWindows->MainFm;
    LogoutInNextModal(window);
    window.show();

    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000));
    EXPECT_EQ(FModalKind.toStdString(), "murk::TdlgMurkin");
    EXPECT_FALSE(FLeftOpen) << "the login window stayed open";
    EXPECT_FALSE(FWindows->dlgMurkin.isVisible());
    EXPECT_TRUE(IniWritten());
    EXPECT_FALSE(window.Started());
}

}  // namespace
