#include <gtest/gtest.h>

#include <QDir>

#include <string>

#include "AppHome.h"
#include "Cp932.h"
#include "HistorySeal.h"
#include "LoginPassword.h"
#include "PasswordHistoryFile.h"
#include "SettingsStore.h"

using namespace murk;
using murktest::FileMode;

namespace {

const QStringList kHistory{"zeta", "パスワード", "Tr0ub4dor&3"};

class PasswordHistoryFile : public murktest::TAppHomeTest {
protected:
    // A start: the history as read after a login with password (or none).
    THistoryLoad Start(QStringList& history, const char* password, bool isNew = false) {
        FFile.Wipe();
        if (password == nullptr) {
            return FFile.Load(history, nullptr, isNew);
        }
        TSecureBytes secret(512);
        EXPECT_TRUE(secret.Assign(password));
        return FFile.Load(history, &secret, isNew);
    }

    // A first login with "abc", the gate on, after which the session saves
    // kHistory sealed; history is what the session holds.
    void SaveSealedHistory(QStringList& history) {
        Start(history, "abc", true);
        history = kHistory;
        ASSERT_TRUE(FFile.Save(history, true));
    }

    QByteArray Content(const std::string& name = "murkw.hst") const {
        const std::string text = ReadText(Path(name));
        return QByteArray(text.data(), qsizetype(text.size()));
    }

    // Whether the file holds a sealed history that password opens, and then
    // its lines.
    static bool Opens(const QByteArray& file, const std::string& password, QStringList& lines) {
        THistorySeal seal;
        if (!ReadHistorySeal(file, seal)) {
            return false;
        }
        uint8_t key[HistoryKeySize];
        QByteArray text;
        if (!DerivePasswordKey(password, seal.Salt, seal.Cost, key) ||
            !OpenHistory(file, key, text)) {
            return false;
        }
        lines = QString::fromUtf8(text).split('\n', Qt::SkipEmptyParts);
        return true;
    }

    TPasswordHistoryFile FFile;
};

}  // namespace

TEST_F(PasswordHistoryFile, SealedUnderTheLoginPasswordAndReadBackAfterLogin) {
    QStringList history;
    EXPECT_EQ(Start(history, "abc", true), THistoryLoad::Read);
    EXPECT_TRUE(history.isEmpty());
    history = kHistory;
    ASSERT_TRUE(FFile.Save(history, true));

    const QByteArray file = Content();
    EXPECT_TRUE(IsSealedHistory(file));
    EXPECT_EQ(FileMode(Path("murkw.hst")), 0600u);
    QStringList lines;
    EXPECT_TRUE(Opens(file, "abc", lines));
    EXPECT_EQ(lines, kHistory);
    EXPECT_FALSE(Opens(file, "ABC", lines));
    for (const QString& password : kHistory) {
        EXPECT_FALSE(file.contains(password.toUtf8()));
    }

    QStringList next;
    EXPECT_EQ(Start(next, "abc"), THistoryLoad::Read);
    EXPECT_EQ(next, kHistory);
    // Each sealing draws a new nonce: the same history never gives the same
    // file twice.
    ASSERT_TRUE(FFile.Save(next, true));
    EXPECT_NE(Content(), file);
    EXPECT_EQ(Content().left(36), file.left(36));
}

TEST_F(PasswordHistoryFile, PlainWithTheGateOffAndPrivate) {
    WriteText(Path("murkw.hst"), "new\r\nパス\r\n\r\nold");
    QStringList history;
    EXPECT_EQ(Start(history, nullptr), THistoryLoad::Read);
    EXPECT_EQ(history, (QStringList{"new", "パス", "", "old"}));
    history.prepend("newest");
    ASSERT_TRUE(FFile.Save(history, false));
    EXPECT_EQ(ReadText(Path("murkw.hst")), "newest\nnew\nパス\n\nold\n");
    EXPECT_EQ(FileMode(Path("murkw.hst")), 0600u);
}

TEST_F(PasswordHistoryFile, PlainFileIsSealedAtTheFirstLogin) {
    WriteText(Path("murkw.hst"), "one\ntwo\n");
    QStringList history;
    EXPECT_EQ(Start(history, "abc", true), THistoryLoad::Read);
    EXPECT_EQ(history, (QStringList{"one", "two"}));
    // At once, not only at close: a crash in this session leaves no plain file.
    QStringList lines;
    EXPECT_TRUE(Opens(Content(), "abc", lines));
    EXPECT_EQ(lines, history);
}

TEST_F(PasswordHistoryFile, ANewPasswordReseals) {
    QStringList history;
    ASSERT_NO_FATAL_FAILURE(SaveSealedHistory(history));
    const QByteArray before = Content();

    // The same password set again: the history stays, under a new salt.
    EXPECT_EQ(Start(history, "abc", true), THistoryLoad::Read);
    EXPECT_EQ(history, kHistory);
    THistorySeal oldSeal, newSeal;
    ASSERT_TRUE(ReadHistorySeal(before, oldSeal));
    ASSERT_TRUE(ReadHistorySeal(Content(), newSeal));
    EXPECT_NE(oldSeal.Salt, newSeal.Salt);

    // Another password cannot open what the old one sealed: that file is set
    // aside whole, and the history goes on under the new password.
    EXPECT_EQ(Start(history, "xyz9", true), THistoryLoad::SetAside);
    EXPECT_TRUE(history.isEmpty());
    QStringList lines;
    EXPECT_TRUE(Opens(Content("murkw.hst.unreadable"), "abc", lines));
    EXPECT_EQ(lines, kHistory);
    history = {"after the change"};
    ASSERT_TRUE(FFile.Save(history, true));
    EXPECT_TRUE(Opens(Content(), "xyz9", lines));
    EXPECT_EQ(lines, history);
    EXPECT_FALSE(Opens(Content(), "abc", lines));
}

TEST_F(PasswordHistoryFile, TurningTheGateOffWritesItPlainAtTheNextSave) {
    QStringList history;
    ASSERT_NO_FATAL_FAILURE(SaveSealedHistory(history));
    ASSERT_TRUE(IsSealedHistory(Content()));

    ASSERT_TRUE(FFile.Save(history, false));
    EXPECT_EQ(ReadText(Path("murkw.hst")), "zeta\nパスワード\nTr0ub4dor&3\n");
    EXPECT_EQ(FileMode(Path("murkw.hst")), 0600u);

    QStringList next;
    EXPECT_EQ(Start(next, nullptr), THistoryLoad::Read);
    EXPECT_EQ(next, kHistory);
}

TEST_F(PasswordHistoryFile, ASealedFileThatCannotBeOpenedIsSetAsideNeverDeleted) {
    QStringList history;
    ASSERT_NO_FATAL_FAILURE(SaveSealedHistory(history));
    const QByteArray sealed = Content();

    struct Case {
        const char* name;
        QByteArray file;
        const char* password;
    };
    auto changed = [&](qsizetype at) {
        QByteArray file = sealed;
        file[at] = char(file[at] ^ 0x01);
        return file;
    };
    const Case cases[] = {
        {"a byte of the text", changed(HistoryHeaderSize + 2), "abc"},
        {"the salt", changed(20), "abc"},
        {"the cost", changed(12), "abc"},
        {"the tag", changed(sealed.size() - 1), "abc"},
        {"cut short", sealed.left(40), "abc"},
        {"another password", sealed, "abd"},
        {"the gate turned off in the settings", sealed, nullptr},
    };
    int setAside = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(Path("murkw.hst"), c.file.toStdString());
        QStringList read{"left over"};
        EXPECT_EQ(Start(read, c.password), THistoryLoad::SetAside);
        EXPECT_TRUE(read.isEmpty());
        ++setAside;
        const std::string aside =
            "murkw.hst.unreadable" + (setAside > 1 ? "." + std::to_string(setAside) : "");
        EXPECT_EQ(Content(aside), c.file);
        // After a login the history goes on, sealed, under that password.
        if (c.password != nullptr) {
            QStringList lines{"x"};
            EXPECT_TRUE(Opens(Content(), c.password, lines));
            EXPECT_TRUE(lines.isEmpty());
        } else {
            EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("murkw.hst"))));
        }
    }
}

TEST_F(PasswordHistoryFile, AFileNobodyOpenedIsNeverWritten) {
    WriteText(Path("murkw.hst"), "kept\n");
    EXPECT_FALSE(FFile.Save({"other"}, true));
    EXPECT_FALSE(FFile.Save({"other"}, false));

    QStringList history;
    Start(history, "abc", true);
    const QByteArray sealed = Content();
    FFile.Wipe();
    EXPECT_FALSE(FFile.HasKey());
    EXPECT_FALSE(FFile.Save({"other"}, true));
    EXPECT_FALSE(FFile.Save({"other"}, false));
    EXPECT_EQ(Content(), sealed);
}

// What a session with the gate on leaves in the settings folder.
TEST_F(PasswordHistoryFile, NoFileOfTheSettingsFolderHoldsAPassword) {
    const std::string login = "Login-Passw0rd";
    const QStringList images{"image-secret-1", "画像の合言葉"};

    TAppSettings settings;
    LoadSettings(settings);
    ASSERT_TRUE(SaveLoginPassword(settings, login));
    QStringList history;
    Start(history, login.c_str(), true);
    history = images;
    settings.LastFolder = QString::fromStdString(FHome.Path());
    settings.FolderHistory = {settings.LastFolder};
    ASSERT_TRUE(SaveSettings(settings));
    ASSERT_TRUE(SaveLoginOptions(settings));
    ASSERT_TRUE(FFile.Save(history, settings.LoginAtStart));
    FFile.Wipe();

    std::vector<std::string> forms;
    auto addForms = [&](const std::string& utf8) {
        const std::string cp932 = ToCp932(utf8).Bytes;
        forms.insert(forms.end(), {utf8, cp932, EncodeLoginPassword(cp932)});
    };
    addForms(login);
    for (const QString& image : images) {
        addForms(image.toStdString());
    }
    const QStringList files = QDir(QString::fromStdString(FHome.Path()))
                                  .entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_EQ(files, (QStringList{"dir.txt", "murkw.hst", "murkw.ini", "registry.ini"}));
    for (const QString& file : files) {
        const std::string content = ReadText(Path(file.toStdString()));
        EXPECT_EQ(FileMode(Path(file.toStdString())), 0600u) << file.toStdString();
        for (const std::string& form : forms) {
            EXPECT_EQ(content.find(form), std::string::npos)
                << file.toStdString() << " holds " << form;
        }
    }
}
