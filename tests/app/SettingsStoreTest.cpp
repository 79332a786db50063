#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>

#include <functional>
#include <string>

#include "AppHome.h"
#include "LoginPassword.h"
#include "SettingsStore.h"

using namespace murk;

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A record in which every persisted member differs from its first-start value.
TAppSettings ChangedSettings() {
    TAppSettings s;
    s.PasswordMode = true;
    s.Shield = false;
    s.AllMode = true;
    s.History = false;
    s.LastFolder = QStringLiteral("/srv/写真, old; =x");
    s.SubDirMode = true;
    s.EndMessage = false;
    s.ResList = false;
    s.MurkCheckMode = true;
    s.Flat = false;
    s.FolderView = false;
    s.SmallBtn = true;
    s.MainWidth = 777;
    s.MainHeight = 555;
    s.ColumnWidths = {11, 22, 33, 44, 55, 66};
    s.TreeViewWidth = 250;
    s.MurkMode = 2;
    s.ListViewColor = 0x123456;
    s.ListTrack = true;
    s.EncDisp = 1;
    s.SamnailBackColor = 0xFFFFFF;

    s.LoginAtStart = false;
    s.AutoLogout = false;
    s.ChangeLoginPassword = true;
    s.LogoutMinutes = 1000;
    s.LoginTitle = QStringLiteral("  ようこそ; \"quoted\" ");
    s.RenameExt = true;
    s.NewExt = QStringLiteral("JP2");
    s.NormalModeNo = 10;
    s.ExtraModeNo = 5;
    s.UltraModeNo = 4;
    s.UltraEnabled = true;
    s.MainTitle = QStringLiteral("@Variant(main)");
    s.UseJpz = true;
    s.ListFont = {1, 0x0000FF, -16, QStringLiteral("IPAGothic"), 2, 12, 5};
    s.ListLine = true;
    s.MainLayout = 2;

    s.FolderHistory = {QStringLiteral("/a"), QStringLiteral("/B"), QStringLiteral("/c d")};
    return s;
}

bool SaveEverything(TAppSettings& s) {
    return SaveSettings(s) && SaveModeOptions(s) && SaveExtOptions(s) && SaveLoginOptions(s) &&
           SaveLoginPassword(s, "abc");
}

}  // namespace

class SettingsStore : public murktest::TAppHomeTest {};

TEST_F(SettingsStore, FirstStartGivesTheDefaults) {
    TAppSettings s;
    s.ListFont.Name = QStringLiteral("DejaVu Sans");
    s.ListFont.Size = 11;
    LoadSettings(s);

    const QString home = Q(FHome.Path());
    EXPECT_EQ(s.AppDir, home);
    EXPECT_EQ(s.IniPath, home + "/murkw.ini");
    EXPECT_EQ(s.LastFolder, home);
    EXPECT_EQ(s.MainWidth, 600);
    EXPECT_EQ(s.MainHeight, 640);
    EXPECT_EQ(s.ColumnWidths, (std::array<int32_t, ListColumnCount>{60, 60, 60, 60, 80, 180}));
    EXPECT_EQ(s.TreeViewWidth, 180);
    EXPECT_EQ(RgbFromColorRef(s.ListViewColor), (TRgb{0, 0, 0}));
    EXPECT_EQ(RgbFromColorRef(s.SamnailBackColor), (TRgb{182, 197, 214}));
    EXPECT_EQ(ColorRefFromRgb({182, 197, 214}), 14075318u);
    EXPECT_TRUE(s.Shield && s.History && s.EndMessage && s.ResList && s.Flat && s.FolderView);
    EXPECT_FALSE(s.PasswordMode || s.AllMode || s.SubDirMode || s.MurkCheckMode || s.SmallBtn ||
                 s.ListTrack);
    EXPECT_EQ(s.MurkMode, 0);
    EXPECT_EQ(s.EncDisp, 0);

    EXPECT_TRUE(s.LoginAtStart);
    EXPECT_TRUE(s.AutoLogout);
    EXPECT_FALSE(s.ChangeLoginPassword);
    EXPECT_EQ(s.LogoutMinutes, 5);
    EXPECT_EQ(s.LoginTitle, QStringLiteral("Murkwell ログイン"));
    EXPECT_EQ(s.MainTitle, QStringLiteral("Murkwel for Windows"));
    EXPECT_FALSE(s.RenameExt);
    EXPECT_EQ(s.NewExt, QString());
    EXPECT_EQ(s.NormalModeNo, 1);
    EXPECT_EQ(s.ExtraModeNo, 1);
    EXPECT_EQ(s.UltraModeNo, 1);
    EXPECT_FALSE(s.UltraEnabled || s.UseJpz || s.ListLine);
    EXPECT_EQ(s.MainLayout, 0);
    // The list font keeps what the list had.
    EXPECT_EQ(s.ListFont.Name, QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(s.ListFont.Size, 11);
    EXPECT_TRUE(s.StoredLoginPassword.empty());
    EXPECT_TRUE(s.PasswordHistory.isEmpty());
    EXPECT_TRUE(s.FolderHistory.isEmpty());

    EXPECT_TRUE(QDir(home).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(SettingsStore, EverySettingSurvivesSaveAndLoad) {
    TAppSettings saved = ChangedSettings();
    ASSERT_TRUE(SaveEverything(saved));

    TAppSettings loaded;
    loaded.ListFont.Name = QStringLiteral("not read");
    LoadSettings(loaded);
    saved.AppDir = Q(FHome.Path());
    saved.IniPath = saved.AppDir + "/murkw.ini";
    EXPECT_EQ(loaded.ListFont, saved.ListFont);
    EXPECT_EQ(loaded.LastFolder, saved.LastFolder);
    EXPECT_EQ(loaded.LoginTitle, saved.LoginTitle);
    EXPECT_EQ(loaded.MainTitle, saved.MainTitle);
    EXPECT_TRUE(loaded == saved);

    // The next close writes the same again.
    ASSERT_TRUE(SaveEverything(loaded));
    TAppSettings again;
    LoadSettings(again);
    // Each verifier has a salt of its own.
    EXPECT_NE(again.StoredLoginPassword, saved.StoredLoginPassword);
    EXPECT_EQ(CheckLoginPassword(again.StoredLoginPassword, "abc"), TLoginCheck::Right);
    again.StoredLoginPassword = saved.StoredLoginPassword;
    EXPECT_TRUE(again == saved);
}

TEST_F(SettingsStore, ValuesAreStoredInTheirTextForms) {
    TAppSettings s = ChangedSettings();
    s.Shield = true;
    ASSERT_TRUE(SaveEverything(s));

    const QSettings ini(Q(Path("murkw.ini")), QSettings::IniFormat);
    EXPECT_EQ(ini.childGroups(), QStringList{"Murkwell"});
    EXPECT_EQ(ini.value("Murkwell/Shield").toString(), "1");
    EXPECT_EQ(ini.value("Murkwell/History").toString(), "0");
    EXPECT_EQ(ini.value("Murkwell/ColmnAttr").toString(), "33");
    EXPECT_EQ(ini.value("Murkwell/ColmnState").toString(), "11");
    EXPECT_EQ(ini.value("Murkwell/ListViewColor").toString(), "1193046");
    EXPECT_EQ(ini.value("Murkwell/SamnailBackColor").toString(), "16777215");
    EXPECT_EQ(ini.value("Murkwell/dir").toString(), s.LastFolder);

    const QSettings registry(Q(Path("registry.ini")), QSettings::IniFormat);
    EXPECT_EQ(registry.childGroups(), (QStringList{"option", "version"}));
    EXPECT_EQ(registry.value("d0").toString(), "0");
    EXPECT_EQ(registry.value("d2").toString(), "1");
    EXPECT_EQ(registry.value("d3").toString(), "1000");
    EXPECT_EQ(registry.value("d6").toString(), "JP2");
    EXPECT_EQ(registry.value("option/d7").toString(), "10");
    EXPECT_EQ(registry.value("option/d9").toString(), "4");
    EXPECT_EQ(registry.value("option/ListLine").toString(), "1");
    EXPECT_EQ(registry.value("fnColor").toString(), "255");
    EXPECT_EQ(registry.value("fnHeight").toString(), "-16");
    EXPECT_EQ(registry.value("MainLayout").toString(), "2");
    EXPECT_EQ(registry.value("version/date2").toString().toStdString(), s.StoredLoginPassword);
    EXPECT_EQ(CheckLoginPassword(s.StoredLoginPassword, "abc"), TLoginCheck::Right);
    // The sub-key values live only in their groups.
    EXPECT_FALSE(registry.contains("d7"));
    EXPECT_FALSE(registry.contains("ListLine"));

    // The close writes the window's keys only, never the registry.
    EXPECT_FALSE(ini.contains("Murkwell/d0"));
    EXPECT_FALSE(registry.contains("Shield"));
}

TEST_F(SettingsStore, EachRegistryWriteTouchesItsOwnValuesOnly) {
    TAppSettings s = ChangedSettings();
    ASSERT_TRUE(SaveExtOptions(s));
    const QSettings registry(Q(Path("registry.ini")), QSettings::IniFormat);
    EXPECT_EQ(registry.allKeys(), (QStringList{"d5", "d6"}));

    ASSERT_TRUE(SaveChangeLoginPassword(s));
    ASSERT_TRUE(SaveModeOptions(s));
    const QSettings after(Q(Path("registry.ini")), QSettings::IniFormat);
    EXPECT_EQ(after.allKeys().size(), 13);
    EXPECT_TRUE(after.contains("d2"));
    EXPECT_TRUE(after.contains("fnStyle"));
    EXPECT_FALSE(after.contains("d0"));
}

TEST_F(SettingsStore, SaveLastFolderKeepsTheOtherKeys) {
    TAppSettings s = ChangedSettings();
    ASSERT_TRUE(SaveSettings(s));
    ASSERT_TRUE(SaveLastFolder("/media/card"));
    TAppSettings loaded;
    LoadSettings(loaded);
    EXPECT_EQ(loaded.LastFolder, "/media/card");
    EXPECT_EQ(loaded.MainWidth, 777);
    EXPECT_EQ(loaded.ColumnWidths, s.ColumnWidths);
}

namespace {

struct ValueCase {
    const char* file;
    const char* content;
    std::function<void(const TAppSettings&)> check;
};

}  // namespace

TEST_F(SettingsStore, MalformedOrOutOfRangeValuesAreMended) {
    const ValueCase cases[] = {
        {"murkw.ini", "[Murkwell]\nMainWidth=abc\n", [](auto& s) { EXPECT_EQ(s.MainWidth, 600); }},
        {"murkw.ini", "[Murkwell]\nMainWidth=-5\n", [](auto& s) { EXPECT_EQ(s.MainWidth, 100); }},
        {"murkw.ini", "[Murkwell]\nMainHeight=99999\n",
         [](auto& s) { EXPECT_EQ(s.MainHeight, 10000); }},
        {"murkw.ini", "[Murkwell]\nMainHeight=12x\n",
         [](auto& s) { EXPECT_EQ(s.MainHeight, 640); }},
        {"murkw.ini", "[Murkwell]\nColmnDir=-1\nColmnNumber=70\n",
         [](auto& s) {
             EXPECT_EQ(s.ColumnWidths[lcFolder], 10);
             EXPECT_EQ(s.ColumnWidths[lcNumber], 70);
         }},
        {"murkw.ini", "[Murkwell]\nMurkMode=99\n", [](auto& s) { EXPECT_EQ(s.MurkMode, 2); }},
        {"murkw.ini", "[Murkwell]\nMurkMode=-1\n", [](auto& s) { EXPECT_EQ(s.MurkMode, 0); }},
        {"murkw.ini", "[Murkwell]\nEncDisp=5\n", [](auto& s) { EXPECT_EQ(s.EncDisp, 1); }},
        {"murkw.ini", "[Murkwell]\nShield=2\nSubDir=-1\nBeep=0\n",
         [](auto& s) {
             EXPECT_TRUE(s.Shield);
             EXPECT_TRUE(s.SubDirMode);
             EXPECT_FALSE(s.EndMessage);
         }},
        {"murkw.ini", "[Murkwell]\nShield=no\nSubDir=yes\nHistory=\n",
         [](auto& s) {
             EXPECT_TRUE(s.Shield);
             EXPECT_FALSE(s.SubDirMode);
             EXPECT_TRUE(s.History);
         }},
        {"murkw.ini", "[Murkwell]\nListViewColor=-2147483643\nSamnailBackColor=16777216\n",
         [](auto& s) {
             EXPECT_EQ(s.ListViewColor, 0u);
             EXPECT_EQ(s.SamnailBackColor, 0xD6C5B6u);
         }},
        {"murkw.ini", "[Murkwell]\nListViewColor=255\n",
         [](auto& s) {
             EXPECT_EQ(RgbFromColorRef(s.ListViewColor), (TRgb{255, 0, 0}));
         }},
        {"registry.ini", "d3=abc\n", [](auto& s) { EXPECT_EQ(s.LogoutMinutes, 5); }},
        {"registry.ini", "d3=0\n", [](auto& s) { EXPECT_EQ(s.LogoutMinutes, 1); }},
        {"registry.ini", "d3=5000\n", [](auto& s) { EXPECT_EQ(s.LogoutMinutes, 1000); }},
        {"registry.ini", "[option]\nd7=0\nd8=6\nd9=99\n",
         [](auto& s) {
             EXPECT_EQ(s.NormalModeNo, 1);
             EXPECT_EQ(s.ExtraModeNo, 5);
             EXPECT_EQ(s.UltraModeNo, 4);
         }},
        {"registry.ini", "[option]\nd7=99\n", [](auto& s) { EXPECT_EQ(s.NormalModeNo, 10); }},
        // Outside its sub-key a value is not the setting.
        {"registry.ini", "d7=3\nListLine=1\n",
         [](auto& s) {
             EXPECT_EQ(s.NormalModeNo, 1);
             EXPECT_FALSE(s.ListLine);
         }},
        {"registry.ini", "d5=1\nd6=jpx\n",
         [](auto& s) {
             EXPECT_TRUE(s.RenameExt);
             EXPECT_EQ(s.NewExt, "jpx");
         }},
        {"registry.ini", "d5=1\nd6=j/g\n",
         [](auto& s) {
             EXPECT_FALSE(s.RenameExt);
             EXPECT_EQ(s.NewExt, "");
         }},
        {"registry.ini", "d5=1\n",
         [](auto& s) {
             EXPECT_FALSE(s.RenameExt);
             EXPECT_EQ(s.NewExt, "");
         }},
        {"registry.ini", "d5=0\nd6=jpeg\n", [](auto& s) { EXPECT_EQ(s.NewExt, ""); }},
        {"registry.ini", "fnSize=-3\nfnStyle=99\nfnColor=-2147483640\nfnName=\n",
         [](auto& s) {
             EXPECT_EQ(s.ListFont.Size, 4);
             EXPECT_EQ(s.ListFont.Style, 1);
             EXPECT_EQ(s.ListFont.Color, 0x00FF00u);
             EXPECT_EQ(s.ListFont.Name, "");
         }},
        {"registry.ini", "fnCharset=-7\nfnPitch=300\nfnStyle=10\n",
         [](auto& s) {
             EXPECT_EQ(s.ListFont.Charset, -7);
             EXPECT_EQ(s.ListFont.Pitch, 300);
             EXPECT_EQ(s.ListFont.Style, 10);
         }},
        {"registry.ini", "MainLayout=3\n", [](auto& s) { EXPECT_EQ(s.MainLayout, 2); }},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + ": " + c.content);
        const std::string folder = Path("case" + std::to_string(index++));
        ASSERT_TRUE(QDir().mkdir(Q(folder)));
        UseHome(folder);
        WriteText(folder + "/" + c.file, c.content);
        TAppSettings s;
        s.ListFont.Style = 1;
        s.ListFont.Color = 0x00FF00;
        LoadSettings(s);
        c.check(s);
    }
}

TEST_F(SettingsStore, UnreadableFilesGiveDefaultsAndAreReplacedAtClose) {
    static const char kGarbage[] = "\x00\xff[Murk\nMainWidth\n=\x01\x02]]\n";
    const std::string garbage(kGarbage, sizeof kGarbage - 1);
    WriteText(Path("murkw.ini"), garbage);
    WriteText(Path("registry.ini"), garbage);
    TAppSettings s;
    LoadSettings(s);
    EXPECT_EQ(s.MainWidth, 600);
    EXPECT_EQ(s.LogoutMinutes, 5);

    s.MainWidth = 640;
    s.LogoutMinutes = 9;
    ASSERT_TRUE(SaveSettings(s));
    ASSERT_TRUE(SaveLoginOptions(s));
    TAppSettings loaded;
    LoadSettings(loaded);
    EXPECT_EQ(loaded.MainWidth, 640);
    EXPECT_EQ(loaded.LogoutMinutes, 9);
}

TEST_F(SettingsStore, ListFilesReadEitherLineEndAndWriteLf) {
    WriteText(Path("dir.txt"), "/b\n/A\r\n/a\n/c\n");
    TAppSettings s;
    LoadSettings(s);
    EXPECT_EQ(s.FolderHistory, (QStringList{"/A", "/b", "/c"}));

    ASSERT_TRUE(SaveSettings(s));
    EXPECT_EQ(ReadText(Path("dir.txt")), "/A\n/b\n/c\n");

    // A line with more than one carriage return reads back the same once saved.
    WriteText(Path("dir.txt"), "/three\r\r\n");
    LoadSettings(s);
    ASSERT_TRUE(SaveSettings(s));
    TAppSettings again;
    LoadSettings(again);
    EXPECT_EQ(again.FolderHistory, (QStringList{"/three"}));
}

TEST(FolderHistory, KeepsSortedWithoutCaseDuplicates) {
    struct Case {
        QString folder;
        bool added;
        QStringList after;
    };
    const Case cases[] = {
        {"/b", true, {"/A", "/b", "/c"}}, {"/C", false, {"/A", "/c"}},  {"/a", false, {"/A", "/c"}},
        {"/d", true, {"/A", "/c", "/d"}}, {"", true, {"", "/A", "/c"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        QStringList history{"/A", "/c"};
        EXPECT_EQ(AddFolderHistory(history, c.folder), c.added);
        EXPECT_EQ(history, c.after);
    }
}

// Every settings file is the user's alone (passwords, folder names), and
// the login password appears in none of them, only its verifier.
TEST_F(SettingsStore, SettingsFilesArePrivate) {
    for (const char* name : {"murkw.ini", "dir.txt", "registry.ini"}) {
        WriteText(Path(name), "\n");
        ASSERT_EQ(::chmod(Path(name).c_str(), 0644), 0);
    }

    TAppSettings s;
    LoadSettings(s);
    s.FolderHistory = {"/private/folder"};
    ASSERT_TRUE(SaveSettings(s));
    ASSERT_TRUE(SaveLoginPassword(s, "Geheim42"));
    for (const char* name : {"murkw.ini", "dir.txt", "registry.ini"}) {
        EXPECT_EQ(murktest::FileMode(Path(name)), 0600u) << name;
    }

    const std::string other = Path("other");
    ASSERT_TRUE(QDir().mkdir(Q(other)));
    UseHome(other);
    ASSERT_TRUE(SaveLoginPassword(s, "Geheim42"));
    ASSERT_TRUE(SaveSettings(s));
    const QStringList files = QDir(Q(other)).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_EQ(files, (QStringList{"dir.txt", "murkw.ini", "registry.ini"}));
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const std::string path = other + "/" + file.toStdString();
        EXPECT_EQ(murktest::FileMode(path), 0600u);
        const std::string content = ReadText(path);
        EXPECT_EQ(content.find("Geheim42"), std::string::npos);
        EXPECT_EQ(content.find(EncodeLoginPassword("Geheim42")), std::string::npos);
    }
}
