#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "Logout.h"
#include "PickDialogs.h"
#include "SettingsStore.h"
#include "WindowsFixture.h"
#include "dlg_option.h"

using namespace murk;
using namespace std::chrono_literals;

namespace {

// Keeps what the dialog does to the main window.
class TFakeOptionHost : public TOptionHost {
public:
    bool ListLineShown() const override { return ListLine; }
    void SetListLine(bool shown) override { ListLine = shown; }
    QFont ListFont() const override { return Font; }
    void SetListFont(const QFont& font) override { Font = font; }
    void ListColor1Click() override { ++ListColorClicks; }
    void SetListTextColor(const QColor& color) override { TextColor = color; }
    QColor PreviewColor() const override { return Preview; }
    void SetPreviewColor(const QColor& color) override { Preview = color; }
    void ApplyLayout(int index) override { Layouts.push_back(index); }
    void SetUltraItemsVisible(bool visible) override { UltraItems = visible; }
    void SetJpzItemsVisible(bool visible) override { JpzItems = visible; }
    void RestartLogout() override {
        ++Restarts;
        if (Monitor) {
            Monitor->RestartLogout();
        }
    }

    bool ListLine = false;
    QFont Font;
    int ListColorClicks = 0;
    QColor TextColor;
    QColor Preview{182, 197, 214};
    std::vector<int> Layouts;
    bool UltraItems = false;
    bool JpzItems = false;
    int Restarts = 0;
    TLogoutMonitor* Monitor = nullptr;
};

class OptionDialog : public murktest::TWindowsTest {
protected:
    void SetUp() override {
        TWindowsTest::SetUp();
        LoadSettings(FSettings);
        FDialog = std::make_unique<TdlgOption>(FSettings, FHost);
    }

    void Show() { FDialog->show(); }
    void Close() {
        FDialog->close();
        ASSERT_FALSE(FDialog->isVisible());
    }
    void Reopen() {
        Close();
        Show();
    }
    // What a start of the program would read.
    TAppSettings Stored() const {
        TAppSettings stored;
        LoadSettings(stored);
        return stored;
    }
    static void Type(QComboBox* box, const QString& text) {
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), text);
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        // The key simulation has keys for ASCII text only.
        if (text.toLatin1() == text.toUtf8()) {
            QTest::keyClicks(edit, text);
        } else {
            edit->insert(text);
        }
    }

    TAppSettings FSettings;
    TFakeOptionHost FHost;
    std::unique_ptr<TdlgOption> FDialog;
};

}  // namespace

TEST(ModeNumber, IsTheExactPositionWithoutRegardToCase) {
    QComboBox box;
    box.setEditable(true);
    box.addItems({"Standard", "Mode 1", "Mode 9", ""});
    const std::pair<const char*, int> cases[] = {
        {"Standard", 1}, {"STANDARD", 1}, {"mode 9", 3}, {"Mode 10", 0},
        {"Mode", 0},     {" Mode 1", 0},  {"", 0},
    };
    for (const auto& [text, number] : cases) {
        box.setEditText(text);
        EXPECT_EQ(ModeNumber(&box), number) << text;
    }
}

TEST_F(OptionDialog, ModesAreStoredByPosition) {
    Show();
    FDialog->CboxNormalMode->setCurrentIndex(FDialog->CboxNormalMode->findText("Mode 9"));
    Type(FDialog->CboxExtraMode, "Mode 10");
    QTest::mouseClick(FDialog->cbUltra, Qt::LeftButton);
    Type(FDialog->cboxUltraMode, "ultra 3");
    Close();

    EXPECT_EQ(Registry("option/d7"), "10");
    EXPECT_EQ(Registry("option/d8"), "0");
    EXPECT_EQ(Registry("option/d9"), "3");
    EXPECT_EQ(Registry("d10"), "1");
    EXPECT_EQ(FSettings.NormalModeNo, 10);
    EXPECT_EQ(FSettings.ExtraModeNo, 0);
    EXPECT_EQ(FSettings.UltraModeNo, 3);

    // A number that names no item shows as an empty text.
    Show();
    EXPECT_EQ(FDialog->CboxNormalMode->currentText(), "Mode 9");
    EXPECT_EQ(FDialog->CboxExtraMode->currentText(), "");
    EXPECT_EQ(FDialog->cboxUltraMode->currentText(), "Ultra 3");
}

TEST_F(OptionDialog, ClosingUnchangedRewritesEveryValueShown) {
    Show();
    Close();
    const std::pair<const char*, const char*> expected[] = {
        {"d0", "1"},
        {"d1", "1"},
        {"d2", "0"},
        {"d3", "5"},
        {"d4", "Murkwell ログイン"},
        {"d5", "0"},
        {"d6", "jpg"},
        {"option/d7", "1"},
        {"option/d8", "1"},
        {"option/d9", "1"},
        {"d10", "0"},
        {"d11", "Murkwel for Windows"},
        {"d12", "0"},
        {"option/ListLine", "0"},
        {"MainLayout", "0"},
        {"fnSize", "9"},
        {"fnStyle", "0"},
        {"fnCharset", "128"},
    };
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(Registry(key), QString::fromUtf8(value)) << key;
    }
    EXPECT_TRUE(FMessages.empty());
    EXPECT_EQ(murktest::FileMode(Path("registry.ini")) & 0777, 0600u);
}

TEST_F(OptionDialog, NewExtensionIsCheckedBeforeItIsStored) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"JP2", nullptr},
        {"jp", "拡張子は3文字です"},
        {"abcd", "拡張子は3文字です"},
        {"j-g", "不正な文字が含まれています"},
        // Three bytes, one of them a double-byte character.
        {"あa", "不正な文字が含まれています"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FMessages.clear();
        ::unlink(Path("registry.ini").c_str());
        LoadSettings(FSettings);
        Show();
        QTest::mouseClick(FDialog->cbjpgxxx, Qt::LeftButton);
        EXPECT_FALSE(FDialog->cbjpgjpg->isChecked());
        EXPECT_TRUE(FDialog->edNewExt->isEnabled());
        Type(FDialog->edNewExt, QString::fromUtf8(c.text));
        Close();

        if (c.message == nullptr) {
            EXPECT_TRUE(FMessages.empty());
            EXPECT_EQ(Registry("d5"), "1");
            EXPECT_EQ(Registry("d6"), "JP2");
            EXPECT_TRUE(FSettings.RenameExt);
            EXPECT_EQ(FSettings.NewExt, "JP2");
            EXPECT_TRUE(Stored().RenameExt);
            continue;
        }
        ASSERT_EQ(FMessages.size(), 1u);
        EXPECT_EQ(FMessages[0].Caption, "警告");
        EXPECT_EQ(FMessages[0].Text, QString::fromUtf8(c.message));
        // The rest of the dialog is stored all the same.
        EXPECT_EQ(Registry("d0"), "1");
        EXPECT_EQ(Registry("d5"), "");
        EXPECT_EQ(Registry("d6"), "");
        // Files keep being named as before, and the dialog shows so.
        EXPECT_FALSE(FSettings.RenameExt);
        EXPECT_EQ(FSettings.NewExt, "");
        Show();
        EXPECT_TRUE(FDialog->cbjpgjpg->isChecked());
        EXPECT_FALSE(FDialog->cbjpgxxx->isChecked());
        EXPECT_FALSE(FDialog->edNewExt->isEnabled());
        Close();
    }
}

TEST_F(OptionDialog, RefusedExtensionKeepsTheOneInUse) {
    Show();
    QTest::mouseClick(FDialog->cbjpgxxx, Qt::LeftButton);
    Type(FDialog->edNewExt, "jpx");
    Reopen();
    Type(FDialog->edNewExt, "jp");
    Close();
    EXPECT_EQ(MessageTexts(), QStringList{"拡張子は3文字です"});
    EXPECT_TRUE(FSettings.RenameExt);
    EXPECT_EQ(FSettings.NewExt, "jpx");
    EXPECT_EQ(Registry("d6"), "jpx");
    Show();
    EXPECT_TRUE(FDialog->cbjpgxxx->isChecked());
    EXPECT_EQ(FDialog->edNewExt->text(), "jpx");

    // Back to the plain name: the edit is disabled and "jpg" is stored.
    QTest::mouseClick(FDialog->cbjpgjpg, Qt::LeftButton);
    EXPECT_FALSE(FDialog->cbjpgxxx->isChecked());
    EXPECT_FALSE(FDialog->edNewExt->isEnabled());
    Close();
    EXPECT_EQ(Registry("d5"), "0");
    EXPECT_EQ(Registry("d6"), "jpg");
}

TEST_F(OptionDialog, LoginSwitchesAndTitles) {
    Show();
    EXPECT_TRUE(FDialog->CbPassChange->isEnabled());
    QTest::mouseClick(FDialog->CbPassChange, Qt::LeftButton);
    Type(FDialog->edLoginTitle, "Gate");
    Type(FDialog->edMainTitle, "Main");
    Close();
    EXPECT_EQ(Registry("d2"), "1");
    EXPECT_EQ(Registry("d4"), "Gate");
    EXPECT_EQ(Registry("d11"), "Main");
    EXPECT_TRUE(FSettings.ChangeLoginPassword);
    EXPECT_EQ(FSettings.LoginTitle, "Gate");
    EXPECT_EQ(FSettings.MainTitle, "Main");

    Show();
    EXPECT_TRUE(FDialog->CbPassChange->isChecked());
    QTest::mouseClick(FDialog->cbLoginEnable, Qt::LeftButton);
    EXPECT_FALSE(FDialog->CbPassChange->isChecked());
    EXPECT_FALSE(FDialog->CbPassChange->isEnabled());
    Close();
    EXPECT_EQ(Registry("d0"), "0");
    EXPECT_EQ(Registry("d2"), "0");
    EXPECT_FALSE(Stored().LoginAtStart);
}

TEST_F(OptionDialog, LogoutMinutesAndSwitch) {
    murktest::TFakeTimeline timeline;
    TLogoutMonitor monitor(
        FSettings, [] { return false; }, timeline.Timers());
    int logouts = 0;
    QObject::connect(&monitor, &TLogoutMonitor::LogoutRequested, [&] { ++logouts; });
    FHost.Monitor = &monitor;
    monitor.RestartLogout();

    Show();
    FDialog->edTime->setValue(7);
    Close();
    EXPECT_EQ(Registry("d3"), "7");
    EXPECT_EQ(FSettings.LogoutMinutes, 7);
    timeline.Advance(6min);
    EXPECT_EQ(logouts, 0) << "the dialog's close restarts the countdown with 7 minutes";

    Show();
    QTest::mouseClick(FDialog->cbAutoLogout, Qt::LeftButton);
    FDialog->edTime->setValue(9);
    Close();
    EXPECT_EQ(Registry("d1"), "0");
    EXPECT_EQ(Registry("d3"), "9");
    EXPECT_EQ(FSettings.LogoutMinutes, 7);
    EXPECT_FALSE(monitor.LogoutPending());
    timeline.Advance(60min);
    EXPECT_EQ(logouts, 0);
}

TEST_F(OptionDialog, UltraAndJpzSwitchTheMenuItemsAtOnce) {
    FSettings.UseJpz = true;
    Show();
    EXPECT_FALSE(FDialog->cbJpz->isEnabled()) << "no Jpz library";
    EXPECT_FALSE(FHost.JpzItems);
    EXPECT_FALSE(FDialog->cboxUltraMode->isEnabled());
    QTest::mouseClick(FDialog->cbUltra, Qt::LeftButton);
    EXPECT_TRUE(FDialog->cboxUltraMode->isEnabled());
    EXPECT_TRUE(FHost.UltraItems);
    EXPECT_TRUE(FSettings.UltraEnabled);
    Close();
    EXPECT_FALSE(FHost.JpzItems);
    EXPECT_EQ(Registry("d12"), "1");

    FSettings.JpzAvailable = true;
    FSettings.UseJpz = false;
    Show();
    EXPECT_TRUE(FDialog->cbJpz->isEnabled());
    EXPECT_FALSE(FDialog->cbJpz->isChecked());
    QTest::mouseClick(FDialog->cbJpz, Qt::LeftButton);
    EXPECT_TRUE(FHost.JpzItems);
    EXPECT_TRUE(FSettings.UseJpz);
    Close();
    EXPECT_EQ(Registry("d12"), "1");
    EXPECT_TRUE(FHost.JpzItems);
}

TEST_F(OptionDialog, ListPageActsAtOnce) {
    QFont chosen("IPAGothic");
    chosen.setPointSize(14);
    chosen.setBold(true);
    SetFontAnswer([&](const QFont&) { return chosen; });
    std::vector<QColor> offered;
    SetColorAnswer([&](const QColor& initial) {
        offered.push_back(initial);
        return QColor(1, 2, 3);
    });
    FSettings.ListFont.Color = 0x00FFEEDD;
    FDialog->SelectLayout(1);
    Show();
    EXPECT_TRUE(FHost.Layouts.empty());
    EXPECT_TRUE(FDialog->rgOption->findChildren<QRadioButton*>()[1]->isChecked());

    QTest::mouseClick(FDialog->cbListLine, Qt::LeftButton);
    EXPECT_TRUE(FHost.ListLine);
    QTest::mouseClick(FDialog->btnListColor, Qt::LeftButton);
    EXPECT_EQ(FHost.ListColorClicks, 1);
    QTest::mouseClick(FDialog->btnListFont, Qt::LeftButton);
    EXPECT_EQ(FHost.Font, chosen);
    QTest::mouseClick(FDialog->btnListTextColor, Qt::LeftButton);
    EXPECT_EQ(FHost.TextColor, QColor(1, 2, 3));
    QTest::mouseClick(FDialog->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(FHost.Preview, QColor(1, 2, 3));
    EXPECT_EQ(offered, (std::vector<QColor>{QColor(0xDD, 0xEE, 0xFF), QColor(182, 197, 214)}));
    QTest::mouseClick(FDialog->rgOption->findChildren<QRadioButton*>()[2], Qt::LeftButton);
    EXPECT_EQ(FHost.Layouts, std::vector<int>{2});
    Close();

    EXPECT_EQ(Registry("option/ListLine"), "1");
    EXPECT_EQ(Registry("MainLayout"), "2");
    EXPECT_EQ(Registry("fnName"), "IPAGothic");
    EXPECT_EQ(Registry("fnSize"), "14");
    EXPECT_EQ(Registry("fnHeight"), "-19");
    EXPECT_EQ(Registry("fnStyle"), "1");
    EXPECT_EQ(Registry("fnCharset"), "128");
    EXPECT_EQ(Registry("fnColor"), QString::number(0x030201)) << "0x00BBGGRR";
    const TAppSettings stored = Stored();
    EXPECT_TRUE(stored.ListLine);
    EXPECT_EQ(stored.MainLayout, 2);
}

TEST_F(OptionDialog, SettingsThatCannotBeWrittenAreReported) {
    // A settings folder inside a plain file can never be made.
    WriteText(Path("file"), "");
    UseHome(Path("file") + "/murkwell");
    Show();
    Close();
    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_EQ(FMessages[0].Caption, "警告");
    EXPECT_TRUE(FMessages[0].Text.startsWith("設定を保存できませんでした"));
}
