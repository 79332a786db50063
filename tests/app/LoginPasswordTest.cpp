#include <gtest/gtest.h>

#include <QSettings>

#include <random>

#include "AppHome.h"
#include "Cp932.h"
#include "SettingsStore.h"

using namespace murk;

namespace {

struct StoredFormCase {
    const char* text;
    const char* stored;
};

}  // namespace

// Expected forms worked out apart from this code, on the password as one
// little-endian number rotated right by three bits and inverted.
TEST(LoginPassword, StoredFormsOfKnownPasswords) {
    const StoredFormCase cases[] = {
        {"abc", "3;393="},
        {"ABC", "7;797="},
        {"a", "3="},
        {"password123", "1=391911112;173=9;999?"},
        {"パスワード", "?>19?>49?0><?849?>29"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const TCp932Result bytes = ToCp932(c.text);
        ASSERT_TRUE(bytes.Ok);
        EXPECT_EQ(EncodeLoginPassword(bytes.Bytes), c.stored);
        EXPECT_EQ(DecodeLoginPassword(c.stored), bytes.Bytes);
    }
}

TEST(LoginPassword, EveryByteStringComesBack) {
    std::mt19937 random(7);
    for (size_t length = 1; length <= 512; length += (length < 20 ? 1 : 37)) {
        std::string password(length, '\0');
        for (char& c : password) {
            c = char(random() & 0xFF);
        }
        SCOPED_TRACE(length);
        const std::string stored = EncodeLoginPassword(password);
        ASSERT_EQ(stored.size(), 2 * length);
        for (const char c : stored) {
            ASSERT_GE(c, '0');
            ASSERT_LE(c, '?');
        }
        EXPECT_EQ(DecodeLoginPassword(stored), password);
    }
    for (int byte = 0; byte < 256; ++byte) {
        const std::string password(1, char(byte));
        EXPECT_EQ(DecodeLoginPassword(EncodeLoginPassword(password)), password) << byte;
    }
}

TEST(LoginPassword, DecodingIgnoresAnUnpairedLastCharacter) {
    EXPECT_EQ(DecodeLoginPassword("3;393=7"), "abc");
    EXPECT_EQ(DecodeLoginPassword("3"), "");
}

class LoginPasswordStore : public murktest::TAppHomeTest {};

TEST_F(LoginPasswordStore, SavedPasswordIsReadAtTheNextStart) {
    TAppSettings settings;
    LoadSettings(settings);
    EXPECT_TRUE(settings.StoredLoginPassword.empty());

    ASSERT_TRUE(SaveLoginPassword(settings, "abc"));
    EXPECT_EQ(settings.StoredLoginPassword, "3;393=");

    const QSettings registry(QString::fromStdString(Path("registry.ini")), QSettings::IniFormat);
    EXPECT_EQ(registry.value("version/date2").toString(), "3;393=");
    EXPECT_FALSE(registry.value("version/copyright").toString().isEmpty());

    TAppSettings next;
    LoadSettings(next);
    EXPECT_EQ(next.StoredLoginPassword, "3;393=");
    EXPECT_EQ(DecodeLoginPassword(next.StoredLoginPassword), "abc");
}

// Without the marker no password counts as set, whatever "date2" holds.
TEST_F(LoginPasswordStore, StoredFormWithoutMarkerIsNoPassword) {
    WriteText(Path("registry.ini"), "[version]\ndate2=3;393=\n");
    TAppSettings settings;
    LoadSettings(settings);
    EXPECT_TRUE(settings.StoredLoginPassword.empty());

    WriteText(Path("registry.ini"), "[version]\ncopyright=x\ndate2=\n");
    LoadSettings(settings);
    EXPECT_TRUE(settings.StoredLoginPassword.empty());
}
