#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>

#include "Cp932.h"
#include "HistorySeal.h"
#include "LoginPassword.h"
#include "MainFixture.h"
#include "murkin.h"

using namespace murk;

namespace {

const QString kLogin = QStringLiteral("Login-Pw1");
const QStringList kImagePasswords{QStringLiteral("image-Secret"), QStringLiteral("写真の鍵")};

class LoginGate : public murktest::TMainTest {
protected:
    void SetUp() override {
        TMainTest::SetUp();
        WriteRegistry("d0=1\nd1=0\n");
        // No end message after a run.
        WriteIni("Beep=0\n");
    }

    // Answers the login window with password, twice when it asks for a new
    // one, and notes what the password box offered behind it.
    void AnswerLogin(const QString& password) {
        AnswerModal([this, password](QWidget* modal) {
            auto* login = qobject_cast<TdlgMurkin*>(modal);
            ASSERT_NE(login, nullptr);
            FOfferedBehindLogin = FWindows->MainFm.cbAngou->count();
            login->edMurkin->setText(password);
            login->edMurkin2->setText(password);
            login->btnEnterClick();
        });
    }

    static QStringList Items(const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i) {
            items << box->itemText(i);
        }
        return items;
    }

    int FOfferedBehindLogin = -1;
};

}  // namespace

TEST_F(LoginGate, TheHistoryIsSealedAtRestAndReadAfterTheLogin) {
    Picture("a.jpg");
    Picture("b.jpg");
    AnswerLogin(kLogin);
    {
        TMainFm& window = Start({PicturesFolder()});
        for (int row = 0; row < 2; ++row) {
            window.Selection().select(
                window.List().index(row, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            window.cbAngou->setEditText(kImagePasswords[row]);
            window.ppMurkwellExtra->trigger();
        }
        ASSERT_EQ(Icons(window), (std::vector<int>{2, 2}));
        Stop();
    }

    // Every file of the settings folder: private, and no password in any
    // form that gives it back without the login password.
    std::vector<std::string> forms;
    const QStringList passwords = QStringList(kImagePasswords) << kLogin;
    for (const QString& password : passwords) {
        const std::string utf8 = password.toStdString();
        const std::string cp932 = ToCp932(utf8).Bytes;
        forms.insert(forms.end(), {utf8, cp932, EncodeLoginPassword(cp932)});
    }
    const QStringList files =
        QDir(QString::fromStdString(FHome.Path())).entryList(QDir::Files | QDir::Hidden);
    EXPECT_TRUE(files.contains("murkw.hst")) << files.join(' ').toStdString();
    for (const QString& file : files) {
        const std::string path = Path(file.toStdString());
        EXPECT_EQ(murktest::FileMode(path), 0600u) << path;
        const std::string content = ReadText(path);
        for (const std::string& form : forms) {
            EXPECT_EQ(content.find(form), std::string::npos) << path << " holds " << form;
        }
    }
    const std::string history = ReadText(Path("murkw.hst"));
    EXPECT_TRUE(IsSealedHistory(QByteArray::fromStdString(history)));

    AnswerLogin(kLogin);
    TMainFm& window = Start();
    EXPECT_EQ(FOfferedBehindLogin, 0) << "nothing of the history before the login";
    EXPECT_EQ(Items(window.cbAngou), (QStringList{kImagePasswords[1], kImagePasswords[0]}));
    EXPECT_TRUE(FMessages.empty());
}

// Someone who turns the gate off in the settings gets in, but not at the
// history: it is set aside, neither read nor deleted.
TEST_F(LoginGate, AHistoryThatCannotBeOpenedIsSetAsideWithAMessage) {
    Picture("a.jpg");
    AnswerLogin(kLogin);
    {
        TMainFm& window = Start({PicturesFolder()});
        window.SelectAll1->trigger();
        window.cbAngou->setEditText(kImagePasswords[0]);
        window.ppMurkwellExtra->trigger();
        Stop();
    }
    const std::string sealed = ReadText(Path("murkw.hst"));
    ASSERT_TRUE(IsSealedHistory(QByteArray::fromStdString(sealed)));

    WriteRegistry("d0=0\nd1=0\n");
    TMainFm& window = Start();
    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_EQ(FMessages[0].Caption, "Warnning");
    EXPECT_TRUE(FMessages[0].Text.contains("murkw.hst.unreadable"));
    EXPECT_EQ(window.cbAngou->count(), 0);
    EXPECT_EQ(ReadText(Path("murkw.hst.unreadable")), sealed);
    Stop();
    EXPECT_EQ(ReadText(Path("murkw.hst.unreadable")), sealed);
}
