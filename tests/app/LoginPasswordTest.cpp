#include <gtest/gtest.h>

#include <QSettings>

#include <argon2.h>

#include <random>
#include <set>

#include "AppHome.h"
#include "Cp932.h"
#include "LoginPassword.h"
#include "SettingsStore.h"

using namespace murk;

namespace {

std::string Cp932(const char* utf8) {
    const TCp932Result bytes = ToCp932(utf8);
    EXPECT_TRUE(bytes.Ok) << utf8;
    return bytes.Bytes;
}

bool ArgonAccepts(const std::string& verifier, const std::string& password) {
    return argon2id_verify(verifier.c_str(), password.data(), password.size()) == ARGON2_OK;
}

}  // namespace

// Checked with libargon2's own verify function, not with the code that made
// the verifier.
TEST(LoginVerifier, IsAnArgon2idStringOfTheCp932BytesWithItsOwnSalt) {
    for (const char* text : {"abc", "Geheim42", "日本語のパスワード"}) {
        SCOPED_TRACE(text);
        const std::string password = Cp932(text);
        const std::string verifier = MakeLoginVerifier(password);
        EXPECT_TRUE(verifier.starts_with("$argon2id$v=19$m=19456,t=2,p=1$")) << verifier;
        EXPECT_TRUE(ArgonAccepts(verifier, password));
        EXPECT_FALSE(ArgonAccepts(verifier, password + "x"));
        EXPECT_FALSE(ArgonAccepts(verifier, password.substr(1)));
        EXPECT_EQ(verifier.find(text), std::string::npos);
        EXPECT_EQ(verifier.find(password), std::string::npos);
        EXPECT_EQ(verifier.find(EncodeLoginPassword(password)), std::string::npos);
    }
    // A new salt every time: equal passwords give different verifiers.
    std::set<std::string> verifiers;
    for (int i = 0; i < 3; ++i) {
        verifiers.insert(MakeLoginVerifier("abc"));
    }
    EXPECT_EQ(verifiers.size(), 3u);
}

TEST(LoginVerifier, ChecksTypedPasswordsAgainstEitherStoredForm) {
    const std::string verifier = MakeLoginVerifier("abc");
    // A verifier that asks for 4 GiB is refused before any memory is taken.
    std::string costly = verifier;
    costly.replace(costly.find("m=19456"), 7, "m=4194304");
    struct Case {
        std::string stored;
        const char* typed;
        TLoginCheck expected;
    };
    const Case cases[] = {
        {verifier, "abc", TLoginCheck::Right},
        {verifier, "ABC", TLoginCheck::Wrong},
        {verifier, "abcd", TLoginCheck::Wrong},
        {verifier, "", TLoginCheck::Wrong},
        {costly, "abc", TLoginCheck::Wrong},
        {verifier.substr(0, verifier.size() - 2), "abc", TLoginCheck::Wrong},
        {"3;393=", "abc", TLoginCheck::RightOldLayout},
        {"3;393=", "ABC", TLoginCheck::Wrong},
        {"3;393=", "ab", TLoginCheck::Wrong},
        {"3;393=7", "abc", TLoginCheck::Wrong},
        {"", "", TLoginCheck::Wrong},
        {"abc", "abc", TLoginCheck::Wrong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored + " / " + c.typed);
        EXPECT_EQ(CheckLoginPassword(c.stored, c.typed), c.expected);
    }
}

// Stored forms of earlier versions, worked out apart from this code, on the
// password as one little-endian number rotated right by three bits and
// inverted.
TEST(LoginPasswordOldLayout, StoredFormsOfKnownPasswords) {
    struct Case {
        const char* text;
        const char* stored;
    };
    const Case cases[] = {
        {"abc", "3;393="},
        {"ABC", "7;797="},
        {"a", "3="},
        {"password123", "1=391911112;173=9;999?"},
        {"パスワード", "?>19?>49?0><?849?>29"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string bytes = Cp932(c.text);
        EXPECT_EQ(EncodeLoginPassword(bytes), c.stored);
        EXPECT_EQ(DecodeLoginPassword(c.stored), bytes);
        EXPECT_EQ(IsOldLoginLayout(c.stored), *c.text != '\0');
        if (*c.text != '\0') {
            EXPECT_EQ(CheckLoginPassword(c.stored, bytes), TLoginCheck::RightOldLayout);
        }
    }
}

TEST(LoginPasswordOldLayout, EveryByteStringComesBack) {
    std::mt19937 random(7);
    for (size_t length = 1; length <= 512; length += (length < 20 ? 1 : 37)) {
        std::string password(length, '\0');
        for (char& c : password) {
            c = char(random() & 0xFF);
        }
        SCOPED_TRACE(length);
        const std::string stored = EncodeLoginPassword(password);
        ASSERT_EQ(stored.size(), 2 * length);
        EXPECT_TRUE(IsOldLoginLayout(stored));
        EXPECT_EQ(DecodeLoginPassword(stored), password);
    }
    for (int byte = 0; byte < 256; ++byte) {
        const std::string password(1, char(byte));
        EXPECT_EQ(DecodeLoginPassword(EncodeLoginPassword(password)), password) << byte;
    }
}

class LoginPasswordStore : public murktest::TAppHomeTest {};

TEST_F(LoginPasswordStore, SavedVerifierIsReadAtTheNextStart) {
    TAppSettings settings;
    LoadSettings(settings);
    EXPECT_TRUE(settings.StoredLoginPassword.empty());

    ASSERT_TRUE(SaveLoginPassword(settings, "abc"));
    const std::string verifier = settings.StoredLoginPassword;
    EXPECT_TRUE(ArgonAccepts(verifier, "abc"));

    // The verifier's commas reach the file and come back as one text.
    const QSettings registry(QString::fromStdString(Path("registry.ini")), QSettings::IniFormat);
    EXPECT_EQ(registry.value("version/date2").toString().toStdString(), verifier);
    EXPECT_FALSE(registry.value("version/copyright").toString().isEmpty());
    EXPECT_EQ(ReadText(Path("registry.ini")).find("abc"), std::string::npos);

    TAppSettings next;
    LoadSettings(next);
    EXPECT_EQ(next.StoredLoginPassword, verifier);
    EXPECT_EQ(CheckLoginPassword(next.StoredLoginPassword, "abc"), TLoginCheck::Right);
}

// Without the marker no password counts as set, whatever "date2" holds.
TEST_F(LoginPasswordStore, StoredFormWithoutMarkerIsNoPassword) {
    WriteText(Path("registry.ini"), "[version]\ndate2=\"3;393=\"\n");
    TAppSettings settings;
    LoadSettings(settings);
    EXPECT_TRUE(settings.StoredLoginPassword.empty());

    WriteText(Path("registry.ini"), "[version]\ncopyright=x\ndate2=\n");
    LoadSettings(settings);
    EXPECT_TRUE(settings.StoredLoginPassword.empty());
}
