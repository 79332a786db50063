#include <gtest/gtest.h>

#include "BatchFixture.h"
#include "TestFiles.h"

using namespace murk;
using batchtest::TBatch;
using murktest::TBytes;

namespace {

enum class TCommand { Normal, Extra, Jpz, UnMurkwell };

void Give(TBatch& batch, TCommand command) {
    switch (command) {
        case TCommand::Normal:
            batch.Commands.ppMurkwellNormalClick();
            break;
        case TCommand::Extra:
            batch.Commands.ppMurkwellExtraClick();
            break;
        case TCommand::Jpz:
            batch.Commands.ppJpzEncodeClick();
            break;
        case TCommand::UnMurkwell:
            batch.Commands.ppUnMurkwellClick();
            break;
    }
}

struct TPasswordCase {
    const char* Name;
    TCommand Command;
    QString Password;
    // Empty when the command runs.
    QString Message;
};

}  // namespace

TEST(RunCommand, PasswordChecks) {
    const QString noPassword = "パスワードを入力してください ! ";
    const QString jpzShort = "Jpz のパスワードは8文字以上必要です ! ";
    const TPasswordCase cases[] = {
        {"ExtraEmpty", TCommand::Extra, "", noPassword},
        {"ExtraGiven", TCommand::Extra, "secret", ""},
        {"RestoreEmpty", TCommand::UnMurkwell, "", ""},
        {"NormalEmpty", TCommand::Normal, "", ""},
        {"JpzSeven", TCommand::Jpz, "1234567", jpzShort},
        {"JpzEight", TCommand::Jpz, "12345678", ""},
        // Lengths count Shift-JIS bytes: two for each of these.
        {"JpzFourKana", TCommand::Jpz, "あいうえ", ""},
        {"JpzSevenBytes", TCommand::Jpz, "あいうa", jpzShort},
        {"ExtraEmoji", TCommand::Extra, "key😀", "パスワードに使えない文字「😀」があります ! "},
        {"RestoreEmoji", TCommand::UnMurkwell, "😀", "パスワードに使えない文字「😀」があります ! "},
        {"NormalEmoji", TCommand::Normal, "😀", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        murktest::TTempDir dir;
        const TBytes original = murktest::SyntheticJpeg(20000);
        murktest::WriteBytes(dir.File("a.jpg"), original);
        TBatch batch;
        batch.ListFolder(dir.Path());
        batch.SelectRows({0});
        batch.View.Password = c.Password;
        const int focus = batch.View.PasswordFocus;
        Give(batch, c.Command);

        if (c.Message.isEmpty()) {
            EXPECT_TRUE(batch.View.Messages.empty());
            ASSERT_EQ(batch.View.EndMessages.size(), 1u);
            EXPECT_EQ(batch.Run.State().TotalCount, 1);
        } else {
            ASSERT_EQ(batch.View.Messages.size(), 1u);
            EXPECT_EQ(batch.View.Messages[0].first, "Warnning ");
            EXPECT_EQ(batch.View.Messages[0].second, c.Message);
            EXPECT_EQ(batch.View.PasswordFocus, focus + 1);
            EXPECT_TRUE(batch.View.EndMessages.empty());
            EXPECT_EQ(murktest::ReadBytes(dir.File("a.jpg")), original);
        }
        EXPECT_FALSE(batch.View.CancelEnabled);
        // The listing's check mode is back after the command.
        EXPECT_TRUE(batch.Run.IsCheckMode());
        EXPECT_TRUE(batch.Settings.Shield);
    }
}

TEST(RunCommand, NormalAfterJpzNeedsNoPassword) {
    murktest::TTempDir dir;
    murktest::WriteBytes(dir.File("a.jpg"), murktest::SyntheticJpeg(20000));
    TBatch batch;
    batch.ListFolder(dir.Path());
    batch.SelectRows({0});
    batch.Commands.ppJpzEncodeClick();
    ASSERT_EQ(batch.View.Messages.size(), 1u);
    batch.Commands.ppMurkwellNormalClick();
    EXPECT_EQ(batch.View.Messages.size(), 1u);
    EXPECT_EQ(batch.Icons(), std::vector<int>{1});
    EXPECT_TRUE(batch.Settings.PasswordMode) << "password mode is put back";
}

TEST(RunCommand, NothingSelectedOrBusyDoesNothing) {
    murktest::TTempDir dir;
    murktest::WriteBytes(dir.File("a.jpg"), murktest::SyntheticJpeg(20000));
    TBatch batch;
    batch.ListFolder(dir.Path());
    batch.Selection.clearSelection();
    batch.Commands.ppMurkwellExtraClick();
    batch.SelectRows({0});
    batch.Run.State().Busy = true;
    batch.Commands.ppMurkwellNormalClick();
    batch.Commands.ppUnMurkwellClick();
    batch.Run.State().Busy = false;
    EXPECT_TRUE(batch.View.Messages.empty());
    EXPECT_TRUE(batch.View.EndMessages.empty());
    EXPECT_EQ(batch.Icons(), std::vector<int>{6});
}

TEST(RunCommand, RestoreReloadsThePreview) {
    murktest::TTempDir dir;
    murktest::WriteBytes(dir.File("a.jpg"), murktest::SyntheticJpeg(20000));
    TBatch batch;
    batch.ListFolder(dir.Path());
    batch.SelectRows({0});
    const int previews = batch.View.Previews;
    batch.Commands.ppMurkwellNormalClick();
    EXPECT_EQ(batch.View.PreviewResets, 0);
    batch.Commands.ppUnMurkwellClick();
    EXPECT_EQ(batch.View.PreviewResets, 1);
    EXPECT_EQ(batch.View.Previews, previews + 2);
}
