#include <gtest/gtest.h>

#include "BatchFixture.h"
#include "TestFiles.h"

using namespace murk;
using batchtest::Q;
using batchtest::TBatch;

namespace {

enum class TClick { Murkwell, CheckItem };

struct TCycleStep {
    TClick Click;
    int MurkMode;
    const char* Caption;
    TRgb Color;
    bool Shield;
};

void ClickOn(TBatch& batch, TClick click) {
    if (click == TClick::Murkwell) {
        batch.Commands.btnMurkwellClick();
    } else {
        batch.Commands.ItmMurkCheckModeClick();
    }
}

}  // namespace

TEST(Modes, OperationCycle) {
    const TCycleStep steps[] = {
        {TClick::Murkwell, 1, "UnMurkwell", kRed, false},
        {TClick::Murkwell, 0, "Murkwell", kYellow, true},
        {TClick::Murkwell, 1, "UnMurkwell", kRed, false},
        // Check mode on at "UnMurkwell" keeps the direction.
        {TClick::CheckItem, 2, " MurkCheck", kWhite, false},
        {TClick::CheckItem, 0, "Murkwell", kYellow, true},
        {TClick::CheckItem, 2, " MurkCheck", kWhite, true},
        {TClick::Murkwell, 0, "Murkwell", kYellow, true},
        {TClick::Murkwell, 1, "UnMurkwell", kRed, false},
        {TClick::Murkwell, 2, " MurkCheck", kWhite, false},
        {TClick::Murkwell, 0, "Murkwell", kYellow, true},
        // Leaving check mode away from " MurkCheck" moves nothing.
        {TClick::CheckItem, 0, "Murkwell", kYellow, true},
        {TClick::Murkwell, 1, "UnMurkwell", kRed, false},
        {TClick::Murkwell, 0, "Murkwell", kYellow, true},
    };
    TBatch batch;
    int index = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(index++);
        ClickOn(batch, step.Click);
        EXPECT_EQ(batch.Settings.MurkMode, step.MurkMode);
        EXPECT_EQ(batch.View.OperationCaption, step.Caption);
        EXPECT_EQ(batch.View.OperationColor, step.Color);
        EXPECT_EQ(batch.Settings.Shield, step.Shield);
        EXPECT_EQ(batch.Run.IsCheckMode(), step.MurkMode == 2);
        EXPECT_EQ(batch.View.Checked[TMenuItem::MurkCheckMode], batch.Settings.MurkCheckMode);
    }
}

TEST(Modes, Toggles) {
    TBatch batch;
    batch.Settings.UltraEnabled = true;
    // After start-up: password mode with Extra.
    EXPECT_TRUE(batch.Settings.PasswordMode);
    EXPECT_EQ(batch.Settings.EncDisp, 1);
    EXPECT_EQ(batch.View.Toggles[TToggleButton::Extra], std::make_pair(QString("Extra"), 11));

    struct TToggleStep {
        std::function<void()> Click;
        TToggleButton Button;
        const char* Caption;
        int Image;
        std::function<bool()> Value;
        bool Expected;
    };
    auto& s = batch.Settings;
    auto& c = batch.Commands;
    const TToggleStep steps[] = {
        {[&] { c.btnAllModeClick(); }, TToggleButton::AllMode, "All", 22, [&] { return s.AllMode; },
         true},
        {[&] { c.btnAllModeClick(); }, TToggleButton::AllMode, "Single", 21,
         [&] { return s.AllMode; }, false},
        {[&] { c.btnSubDirClick(); }, TToggleButton::SubDir, "SubDir ", 16,
         [&] { return s.SubDirMode; }, true},
        {[&] { c.btnSubDirClick(); }, TToggleButton::SubDir, "Current", 17,
         [&] { return s.SubDirMode; }, false},
        {[&] { c.btnExtraClick(); }, TToggleButton::Extra, "Normal", 7,
         [&] { return s.PasswordMode; }, false},
        {[&] { c.btnExtraClick(); }, TToggleButton::Extra, "Extra", 11,
         [&] { return s.PasswordMode; }, true},
    };
    int index = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(index++);
        step.Click();
        EXPECT_EQ(batch.View.Toggles[step.Button],
                  std::make_pair(QString(step.Caption), step.Image));
        EXPECT_EQ(step.Value(), step.Expected);
    }

    batch.Commands.btnExtraClick();
    batch.View.Password = "typed";
    batch.Commands.btnExtraClick();
    batch.Commands.btnExtraClick();
    EXPECT_FALSE(batch.Settings.PasswordMode);
    EXPECT_EQ(batch.View.Password, "");
    EXPECT_FALSE(batch.View.PasswordEnabled);
    EXPECT_EQ(batch.View.LabelLook, std::make_pair(kGrey, kWhite));
    EXPECT_FALSE(batch.View.Visible[TMenuItem::MurkwellUltra]);
    batch.Settings.ShieldKind = 3;
    batch.Commands.btnExtraClick();
    EXPECT_TRUE(batch.View.PasswordEnabled);
    EXPECT_EQ(batch.View.LabelLook, std::make_pair(kYellow, kGrey));
    EXPECT_EQ(batch.Settings.ShieldKind, 1);
    EXPECT_TRUE(batch.View.Visible[TMenuItem::MurkwellUltra]);
    EXPECT_FALSE(batch.View.Visible[TMenuItem::JpzEncode]);
}

TEST(Modes, BusyBlocksTheSwitchesButNotTheEndMessageItem) {
    TBatch batch;
    const TAppSettings before = batch.Settings;
    batch.Run.State().Busy = true;
    batch.Commands.btnAllModeClick();
    batch.Commands.btnSubDirClick();
    batch.Commands.btnExtraClick();
    batch.Commands.btnMurkwellClick();
    batch.Commands.ItmMurkCheckModeClick();
    batch.Commands.OptionClick();
    batch.Commands.btnCancelClick();
    batch.Run.State().Busy = false;
    EXPECT_EQ(batch.Settings.AllMode, before.AllMode);
    EXPECT_EQ(batch.Settings.SubDirMode, before.SubDirMode);
    EXPECT_EQ(batch.Settings.PasswordMode, before.PasswordMode);
    EXPECT_EQ(batch.Settings.MurkMode, before.MurkMode);
    EXPECT_EQ(batch.Settings.MurkCheckMode, before.MurkCheckMode);
    EXPECT_EQ(batch.Settings.EndMessage, !before.EndMessage);
    EXPECT_EQ(batch.View.Checked[TMenuItem::EndMessage], batch.Settings.EndMessage);
    EXPECT_TRUE(batch.Run.State().CancelRequested);
}

TEST(Modes, OpenCommand) {
    murktest::TTempDir dir;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        murktest::WriteBytes(dir.File(name), murktest::SyntheticJpeg(20000));
    }
    TBatch batch;
    batch.Settings.OpenDir = "/remembered";
    EXPECT_EQ(batch.Commands.OpenStartFolder(), "/remembered");
    EXPECT_FALSE(batch.Commands.btnOpenClick());
    ASSERT_EQ(batch.View.Messages.size(), 1u);
    EXPECT_EQ(batch.View.Messages[0],
              std::make_pair(QString("Warnning "), QString("パスワードを入力してください  ! ")));

    // Picked files, all of them, only checked and listed.
    batch.View.Password = "secret";
    batch.Settings.MurkCheckMode = true;
    batch.Commands.btnMurkwellClick();
    batch.Commands.btnMurkwellClick();
    ASSERT_TRUE(batch.Run.IsCheckMode());
    ASSERT_TRUE(batch.Commands.btnOpenClick());
    EXPECT_TRUE(batch.Commands.OpenAllowsSeveral());
    batch.Commands.OpenChosen({Q(dir.File("c.jpg")), Q(dir.File("a.jpg"))});
    batch.WaitIdle();
    EXPECT_EQ(batch.FileNames(), (std::vector<std::string>{"a.jpg", "c.jpg"}));
    EXPECT_EQ(batch.View.Folder, Q(dir.Path()));
    EXPECT_EQ(batch.Settings.OpenDir, Q(dir.Path()));
    EXPECT_EQ(batch.View.FolderHistory, QStringList{Q(dir.Path())});
    EXPECT_EQ(batch.View.EndMessages.back().second, "Check is end.");
    EXPECT_FALSE(batch.Run.State().ListAll);

    // All Mode takes the chosen file's whole folder.
    batch.Commands.btnAllModeClick();
    EXPECT_FALSE(batch.Commands.OpenAllowsSeveral());
    batch.Commands.OpenChosen({Q(dir.File("b.jpg"))});
    batch.WaitIdle();
    EXPECT_EQ(batch.FileNames(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(batch.Numbers(), (std::vector<int32_t>{1, 2, 3}));

    batch.Commands.OpenChosen({});
    EXPECT_FALSE(batch.Run.Busy());
}
