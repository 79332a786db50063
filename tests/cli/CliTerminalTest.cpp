#include <gtest/gtest.h>
#include <signal.h>

#include "PtySession.h"
#include "TestFiles.h"

using namespace murktest;

namespace {

class CliTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        FPlain = MakeJpeg(200, 150);
        FPicture = FDir.File("a.jpg");
        WriteBytes(FPicture, FPlain);
    }

    TTempDir FDir;
    TBytes FPlain;
    std::string FPicture;
};

}  // namespace

TEST_F(CliTerminal, ShieldAsksTwiceAndRestoreOnce) {
    {
        TPtySession shield({"shield", "--format", "extra", FPicture});
        ASSERT_TRUE(shield.WaitFor("Password: ")) << shield.Output();
        EXPECT_FALSE(shield.EchoOn());
        shield.Type("typed secret\r");
        ASSERT_TRUE(shield.WaitFor("Again: ")) << shield.Output();
        shield.Type("typed secret\r");
        EXPECT_EQ(shield.Wait(), 0) << shield.Output();
        EXPECT_NE(shield.Output().find("shielded " + FPicture), std::string::npos);
        EXPECT_EQ(shield.Output().find("typed secret"), std::string::npos) << "echoed";
        EXPECT_TRUE(shield.EchoOn());
    }
    EXPECT_NE(ReadBytes(FPicture), FPlain);

    TPtySession restore({"restore", FPicture});
    ASSERT_TRUE(restore.WaitFor("Password: ")) << restore.Output();
    restore.Type("typed secret\r");
    EXPECT_EQ(restore.Wait(), 0) << restore.Output();
    EXPECT_EQ(restore.Output().find("Again"), std::string::npos);
    EXPECT_EQ(ReadBytes(FPicture), FPlain);
}

TEST_F(CliTerminal, DifferingEntriesShieldNothing) {
    TPtySession shield({"shield", "--format", "ultra", FPicture});
    ASSERT_TRUE(shield.WaitFor("Password: "));
    shield.Type("first try\r");
    ASSERT_TRUE(shield.WaitFor("Again: "));
    shield.Type("first trx\r");
    EXPECT_EQ(shield.Wait(), 2);
    EXPECT_NE(shield.Output().find("The two passwords differ"), std::string::npos)
        << shield.Output();
    EXPECT_EQ(ReadBytes(FPicture), FPlain);
}

TEST_F(CliTerminal, CtrlCAtThePromptPutsTheTerminalBack) {
    TPtySession shield({"shield", "--format", "extra", FPicture});
    ASSERT_TRUE(shield.WaitFor("Password: "));
    ASSERT_FALSE(shield.EchoOn());
    shield.Type("half");
    shield.Type("\x03");
    EXPECT_EQ(shield.Wait(), 128 + SIGINT) << shield.Output();
    EXPECT_TRUE(shield.EchoOn());
    EXPECT_NE(shield.Output().find("nothing was touched"), std::string::npos) << shield.Output();
    EXPECT_EQ(ReadBytes(FPicture), FPlain);
}
