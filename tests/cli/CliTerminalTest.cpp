#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

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

TEST_F(CliTerminal, TheProgressClockStartsAfterThePrompt) {
    const std::string folder = FDir.File("many");
    ::mkdir(folder.c_str(), 0755);
    const TBytes small = MakeJpeg(64, 48);
    for (int i = 0; i < 2000; ++i) {
        WriteBytes(folder + "/p" + std::to_string(i) + ".jpg", small);
    }
    TPtySession shield({"shield", "--format", "ultra", folder});
    ASSERT_TRUE(shield.WaitFor("Password: "));
    // A slow typist.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    shield.Type("slow typist\r");
    ASSERT_TRUE(shield.WaitFor("Again: "));
    shield.Type("slow typist\r");
    // The first redraw comes a fifth of a second into the run, whatever the
    // machine; with the typing counted it would show 1.5 s or more.
    ASSERT_TRUE(shield.WaitFor(" s\x1b[K")) << "no progress line was drawn";
    shield.Type("\x03");
    EXPECT_EQ(shield.Wait(), 128 + SIGINT);
    const std::string& output = shield.Output();
    const size_t line = output.find(" of 2000 files, ");
    ASSERT_NE(line, std::string::npos) << output;
    const size_t comma = output.find("MB, ", line);
    ASSERT_NE(comma, std::string::npos);
    EXPECT_LT(std::stod(output.substr(comma + 4)), 1.0) << output.substr(line, 60);
}
