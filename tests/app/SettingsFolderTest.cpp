#include <gtest/gtest.h>
#include <stdlib.h>

#include <QFileInfo>

#include <optional>
#include <string>

#include "AppHome.h"
#include "SettingsFiles.h"
#include "SettingsStore.h"

using namespace murk;

namespace {

class TSavedVariable {
public:
    explicit TSavedVariable(const char* name) : FName(name) {
        if (const char* value = ::getenv(name)) {
            FValue = value;
        }
    }
    ~TSavedVariable() {
        if (FValue) {
            ::setenv(FName, FValue->c_str(), 1);
        } else {
            ::unsetenv(FName);
        }
    }
    void Set(const char* value) const {
        if (value) {
            ::setenv(FName, value, 1);
        } else {
            ::unsetenv(FName);
        }
    }

private:
    const char* FName;
    std::optional<std::string> FValue;
};

struct FolderCase {
    const char* murkwellHome;
    const char* xdgConfigHome;
    const char* expected;
};

}  // namespace

TEST(SettingsFolder, FollowsTheEnvironment) {
    const TSavedVariable murkwellHome("MURKWELL_HOME");
    const TSavedVariable xdgConfigHome("XDG_CONFIG_HOME");
    const TSavedVariable home("HOME");
    home.Set("/home/ann");
    const FolderCase cases[] = {
        {"/tmp/m/", "/etc/xdg", "/tmp/m"},
        {"", "/cfg", "/cfg/murkwell"},
        {nullptr, "/cfg", "/cfg/murkwell"},
        {nullptr, "relative/cfg", "/home/ann/.config/murkwell"},
        {nullptr, "", "/home/ann/.config/murkwell"},
        {nullptr, nullptr, "/home/ann/.config/murkwell"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        murkwellHome.Set(c.murkwellHome);
        xdgConfigHome.Set(c.xdgConfigHome);
        EXPECT_EQ(SettingsFolder().toStdString(), c.expected);
    }
}

class SettingsFolderCreation : public murktest::TAppHomeTest {};

TEST_F(SettingsFolderCreation, MadePrivateAtTheFirstWriteOnly) {
    const std::string folder = Path("config/murkwell");
    UseHome(folder);
    TAppSettings settings;
    LoadSettings(settings);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(folder)));

    ASSERT_TRUE(SaveSettings(settings));
    EXPECT_EQ(murktest::FileMode(folder), 0700u);
}

// A settings folder that cannot exist: reading gives the defaults, writing
// fails without creating anything.
TEST_F(SettingsFolderCreation, UnusableFolderGivesDefaultsAndFailedWrites) {
    WriteText(Path("file"), "not a folder");
    for (const std::string& folder : {Path("file"), Path("file/murkwell")}) {
        SCOPED_TRACE(folder);
        UseHome(folder);
        TAppSettings settings;
        LoadSettings(settings);
        EXPECT_EQ(settings.MainWidth, 600);
        EXPECT_FALSE(SaveSettings(settings));
        EXPECT_FALSE(SaveLastFolder("/x"));
        EXPECT_FALSE(SaveLoginOptions(settings));
        EXPECT_FALSE(SaveLoginPassword(settings, "abc"));
        EXPECT_TRUE(settings.StoredLoginPassword.empty());
    }
    EXPECT_EQ(ReadText(Path("file")), "not a folder");
}
