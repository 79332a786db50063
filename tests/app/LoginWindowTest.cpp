#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <argon2.h>
#include <unistd.h>

#include "Cp932.h"
#include "LoginPassword.h"
#include "MemoryFlags.h"
#include "SettingsStore.h"
#include "WindowsFixture.h"
#include "murkin.h"

using namespace murk;

namespace {

// Letters are typed as keys; the key simulation has no keys for other text.
void Type(QLineEdit* edit, const QString& text) {
    bool ascii = true;
    for (const QChar c : text) {
        ascii = ascii && c.unicode() < 0x80;
    }
    if (ascii) {
        QTest::keyClicks(edit, text);
    } else {
        edit->insert(text);
    }
}

class LoginWindow : public murktest::TWindowsTest {
protected:
    // The login window of a start with the settings as stored now.
    std::unique_ptr<TdlgMurkin> Open() {
        LoadSettings(FSettings);
        auto login = std::make_unique<TdlgMurkin>(FSettings);
        login->show();
        return login;
    }

    static void Enter(TdlgMurkin& login, const QString& password, const QString& confirmation) {
        Type(login.edMurkin, password);
        Type(login.edMurkin2, confirmation);
        QTest::mouseClick(login.btnEnter, Qt::LeftButton);
    }

    void StorePassword(const std::string& password) {
        LoadSettings(FSettings);
        ASSERT_TRUE(SaveLoginPassword(FSettings, password));
    }

    // Whether "date2" is an Argon2id verifier of the CP932 bytes of text, as
    // libargon2 itself checks it.
    bool StoredVerifies(const QString& text) const {
        const std::string verifier = Registry("version/date2").toStdString();
        const std::string bytes = ToCp932(text.toStdString()).Bytes;
        return verifier.starts_with("$argon2id$") &&
               argon2id_verify(verifier.c_str(), bytes.data(), bytes.size()) == ARGON2_OK;
    }

    TAppSettings FSettings;
};

struct RefusedEntry {
    const char* password;
    const char* confirmation;
    const char* message;
};

}  // namespace

TEST_F(LoginWindow, FirstStartRefusesEachWrongEntryWithItsMessage) {
    const RefusedEntry cases[] = {
        {"", "", "パスワードを入力してください。半角英数字３文字以上"},
        {"", "abc", "パスワードを入力してください。半角英数字３文字以上"},
        {"abc", "", "確認再入力の部分にも同じ文字を入力してください"},
        {"abc", "abd", "パスワード入力と確認再入力は同じ文字を入力してください"},
        {"abc", "ABC", "パスワード入力と確認再入力は同じ文字を入力してください"},
        {"ab", "ab", "半角英数字３文字以上でお願いします"},
        // One double-byte character is two bytes, still too short.
        {"あ", "あ", "半角英数字３文字以上でお願いします"},
        {"ab😀", "ab😀", "「😀」はパスワードに使えない文字です。Shift-JIS で表せる文字でお願いします"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password + std::string(" / ") + c.confirmation);
        FMessages.clear();
        const auto login = Open();
        EXPECT_TRUE(login->NewPasswordMode());
        EXPECT_TRUE(login->edMurkin2->isVisible());
        EXPECT_TRUE(login->lbMurkin2->isVisible());

        Enter(*login, QString::fromUtf8(c.password), QString::fromUtf8(c.confirmation));

        ASSERT_EQ(FMessages.size(), 1u);
        EXPECT_EQ(FMessages[0].Caption, "Warnning");
        EXPECT_EQ(FMessages[0].Text, QString::fromUtf8(c.message));
        EXPECT_TRUE(login->isVisible());
        EXPECT_TRUE(login->edMurkin->text().isEmpty());
        EXPECT_TRUE(login->edMurkin2->text().isEmpty());
        EXPECT_TRUE(Registry("version/date2").isEmpty());
    }
}

TEST_F(LoginWindow, FirstStartStoresAVerifierOfTheCp932BytesAndOpensTheProgram) {
    // "日本" is four bytes in CP932 (93 FA 96 7B), so it is long enough.
    struct Accepted {
        const char* password;
        const char* oldForm;
    };
    const Accepted cases[] = {{"abc", "3;393="}, {"日本", "=:02=809"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        ::unlink(Path("registry.ini").c_str());
        const auto login = Open();
        const QString password = QString::fromUtf8(c.password);
        Enter(*login, password, password);

        EXPECT_TRUE(FMessages.empty());
        EXPECT_FALSE(login->isVisible());
        EXPECT_EQ(login->result(), QDialog::Accepted);
        EXPECT_TRUE(StoredVerifies(password));
        EXPECT_FALSE(StoredVerifies(password + "x"));
        EXPECT_FALSE(Registry("version/copyright").isEmpty());
        EXPECT_EQ(murktest::FileMode(Path("registry.ini")) & 0777, 0600u);
        // Handed on for the history's key, and the edits are empty.
        EXPECT_EQ(login->Password().View(), ToCp932(c.password).Bytes);
        EXPECT_NE(murktest::MappingFlags(login->Password().View().data()).find(" dd "),
                  std::string::npos);
        EXPECT_TRUE(login->PasswordIsNew());
        EXPECT_TRUE(login->edMurkin->text().isEmpty());
        EXPECT_TRUE(login->edMurkin2->text().isEmpty());
        login->WipePassword();
        EXPECT_TRUE(login->Password().Empty());

        // Neither the password nor a reversible form is written anywhere.
        QDirIterator files(QString::fromStdString(FHome.Path()), QDir::Files | QDir::Hidden,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const std::string path = files.next().toStdString();
            const std::string content = ReadText(path);
            EXPECT_EQ(content.find(c.oldForm), std::string::npos) << path;
            EXPECT_EQ(content.find(c.password), std::string::npos) << path;
            EXPECT_EQ(content.find(ToCp932(c.password).Bytes), std::string::npos) << path;
        }
    }
}

// Earlier versions stored a reversible form; it lets its password in once and
// is replaced by a verifier at that login.
TEST_F(LoginWindow, OldStoredFormIsAcceptedOnceAndReplaced) {
    {
        QSettings registry(QString::fromStdString(Path("registry.ini")), QSettings::IniFormat);
        registry.setValue("version/copyright", "Murkwell");
        registry.setValue("version/date2", "3;393=");
    }
    auto login = Open();
    EXPECT_FALSE(login->NewPasswordMode());
    Enter(*login, "ABC", QString());
    EXPECT_EQ(MessageTexts(), QStringList{"パスワードが合いません"});
    EXPECT_EQ(Registry("version/date2"), "3;393=");

    FMessages.clear();
    Enter(*login, "abc", QString());
    EXPECT_TRUE(FMessages.empty());
    EXPECT_EQ(login->result(), QDialog::Accepted);
    EXPECT_FALSE(login->PasswordIsNew());
    EXPECT_TRUE(StoredVerifies("abc"));
    EXPECT_EQ(ReadText(Path("registry.ini")).find("3;393="), std::string::npos);

    login = Open();
    Enter(*login, "abc", QString());
    EXPECT_EQ(login->result(), QDialog::Accepted);
    EXPECT_TRUE(FMessages.empty());
}

TEST_F(LoginWindow, AChangedPasswordReplacesTheOldOne) {
    StorePassword("abc");
    FSettings.ChangeLoginPassword = true;
    ASSERT_TRUE(SaveChangeLoginPassword(FSettings));
    auto login = Open();
    ASSERT_TRUE(login->NewPasswordMode());
    Enter(*login, "new password", "new password");
    EXPECT_EQ(login->result(), QDialog::Accepted);
    EXPECT_TRUE(login->PasswordIsNew());

    login = Open();
    EXPECT_FALSE(login->NewPasswordMode());
    Enter(*login, "abc", QString());
    EXPECT_EQ(MessageTexts(), QStringList{"パスワードが合いません"});
    Enter(*login, "new password", QString());
    EXPECT_EQ(login->result(), QDialog::Accepted);
    EXPECT_EQ(login->Password().View(), "new password");
}

TEST_F(LoginWindow, NextStartAsksForTheStoredPassword) {
    StorePassword("abc");
    const std::pair<const char*, const char*> refused[] = {
        {"", "パスワードを入力してください"},
        {"ab", "パスワードは半角英数字３文字以上です"},
        {"ABC", "パスワードが合いません"},
        {"abcd", "パスワードが合いません"},
    };
    const auto login = Open();
    EXPECT_FALSE(login->NewPasswordMode());
    EXPECT_FALSE(login->edMurkin2->isVisible());
    EXPECT_FALSE(login->lbMurkin2->isVisible());
    EXPECT_EQ(login->windowTitle(), "Murkwell ログイン");
    for (const auto& [typed, message] : refused) {
        SCOPED_TRACE(typed);
        FMessages.clear();
        Enter(*login, QString::fromUtf8(typed), QString());
        ASSERT_EQ(FMessages.size(), 1u);
        EXPECT_EQ(FMessages[0].Caption, "Warnning");
        EXPECT_EQ(FMessages[0].Text, QString::fromUtf8(message));
        EXPECT_TRUE(login->isVisible());
        EXPECT_TRUE(login->edMurkin->text().isEmpty());
    }
    FMessages.clear();
    Enter(*login, "abc", QString());
    EXPECT_TRUE(FMessages.empty());
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(login->result(), QDialog::Accepted);
}

TEST_F(LoginWindow, EnterInEitherEditActsAsContinue) {
    {
        const auto login = Open();
        QTest::keyClicks(login->edMurkin, "ab");
        QTest::keyClicks(login->edMurkin2, "ab");
        QTest::keyClick(login->edMurkin2, Qt::Key_Return);
        EXPECT_EQ(MessageTexts(), QStringList{"半角英数字３文字以上でお願いします"});
    }
    StorePassword("abc");
    const auto login = Open();
    QTest::keyClicks(login->edMurkin, "abc");
    QTest::keyClick(login->edMurkin, Qt::Key_Enter);
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(login->result(), QDialog::Accepted);
}

TEST_F(LoginWindow, OnlyARightEntryOrGoingAwayCloses) {
    StorePassword("abc");
    const auto login = Open();
    login->close();
    EXPECT_TRUE(login->isVisible());
    QTest::keyClick(login->edMurkin, Qt::Key_Escape);
    EXPECT_TRUE(login->isVisible());
    login->reject();
    EXPECT_TRUE(login->isVisible());

    QTest::mouseClick(login->btnAway, Qt::LeftButton);
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(login->result(), QDialog::Rejected);
    EXPECT_TRUE(FMessages.empty());
    EXPECT_TRUE(login->Password().Empty());
    EXPECT_TRUE(StoredVerifies("abc"));
}

TEST_F(LoginWindow, AskedChangeIsConsumedAndGoingAwayKeepsTheOldPassword) {
    StorePassword("abc");
    FSettings.ChangeLoginPassword = true;
    ASSERT_TRUE(SaveChangeLoginPassword(FSettings));
    FSettings.LoginTitle = "X";
    ASSERT_TRUE(SaveLoginOptions(FSettings));

    auto login = Open();
    EXPECT_TRUE(login->NewPasswordMode());
    EXPECT_TRUE(login->edMurkin2->isVisible());
    EXPECT_EQ(login->windowTitle(), "X");
    EXPECT_FALSE(FSettings.ChangeLoginPassword);
    EXPECT_EQ(Registry("d2"), "0");
    QTest::mouseClick(login->btnAway, Qt::LeftButton);
    EXPECT_TRUE(StoredVerifies("abc"));

    login = Open();
    EXPECT_FALSE(login->NewPasswordMode());
    Enter(*login, "abc", QString());
    EXPECT_EQ(login->result(), QDialog::Accepted);
}

TEST_F(LoginWindow, APasswordThatCannotBeStoredIsReportedButLetsIn) {
    WriteText(Path("file"), "");
    UseHome(Path("file") + "/murkwell");
    const auto login = Open();
    Enter(*login, "abc", "abc");
    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_EQ(FMessages[0].Caption, "Warnning");
    EXPECT_TRUE(FMessages[0].Text.startsWith("ログインパスワードを保存できませんでした"));
    EXPECT_EQ(login->result(), QDialog::Accepted);
}

// The limit of earlier versions' stored form stays.
TEST_F(LoginWindow, NewPasswordIsAtMost512Bytes) {
    auto login = Open();
    const QString tooLong(513, 'a');
    Enter(*login, tooLong, tooLong);
    EXPECT_EQ(MessageTexts(),
              QStringList{"パスワードは512バイト（半角512文字）以内でお願いします"});
    EXPECT_TRUE(login->isVisible());

    const QString longest(256, QChar(0x3042));  // "あ", two bytes each
    Enter(*login, longest, longest);
    EXPECT_EQ(login->result(), QDialog::Accepted);
    EXPECT_TRUE(StoredVerifies(longest));
}
