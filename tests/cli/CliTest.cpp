#include <gtest/gtest.h>

#include <filesystem>

#include "CliRunner.h"
#include "TestFiles.h"

using namespace murktest;

namespace {

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        FPlain = MakeJpeg(400, 300);
        ASSERT_GT(FPlain.size(), 4096u);
        Picture("a.jpg");
        WriteBytes(FDir.File("p"), {'s', 'e', 'c', 'r', 'e', 't', '\n'});
        WriteBytes(FDir.File("wrong"), {'S', 'e', 'c', 'r', 'e', 't', '\n'});
    }
    std::string Picture(const std::string& name) {
        const std::string path = FDir.File(name);
        WriteBytes(path, FPlain);
        SetFileMtime(path, SampleMtime());
        return path;
    }
    std::string Path(const std::string& name) const { return FDir.File(name); }

    TTempDir FDir;
    TBytes FPlain;
};

}  // namespace

TEST_F(Cli, ExtraShieldThenRestoreGivesTheFileBack) {
    const std::string a = Path("a.jpg");
    auto shield =
        RunCli({"shield", "--format", "extra", "--mode", "3", "--password-file", Path("p"), a});
    EXPECT_EQ(shield.Status, 0) << shield.Err;
    EXPECT_EQ(shield.Out, "shielded " + a + "\n");
    EXPECT_EQ(ReadBytes(a).size(), FPlain.size() + 12);
    EXPECT_TRUE(SameTime(FileMtime(a), SampleMtime()));

    auto check = RunCli({"check", a});
    EXPECT_EQ(check.Status, 0);
    EXPECT_EQ(check.Out, "[ Extra ]\t" + std::to_string(FPlain.size() + 12) + "\t" + a + "\n");

    auto wrong = RunCli({"restore", "--password-file", Path("wrong"), a});
    EXPECT_EQ(wrong.Status, 1);
    EXPECT_EQ(wrong.Out, "refused " + a + ": wrong password, or the file is damaged\n");
    EXPECT_EQ(ReadBytes(a).size(), FPlain.size() + 12);

    auto restore = RunCli({"restore", "--password-file", Path("p"), a});
    EXPECT_EQ(restore.Status, 0) << restore.Err;
    EXPECT_EQ(restore.Out, "restored " + a + "\n");
    EXPECT_EQ(ReadBytes(a), FPlain);
    EXPECT_TRUE(SameTime(FileMtime(a), SampleMtime()));
}

TEST_F(Cli, RestoreFollowsEachFilesOwnFormat) {
    const std::string normal = Picture("n.jpg"), extra = Picture("e.jpg"), ultra = Picture("u.jpg"),
                      plain = Picture("j.jpg");
    ASSERT_EQ(RunCli({"shield", "--format", "normal", "--mode", "2", normal}).Status, 0);
    ASSERT_EQ(RunCli({"shield", "--format", "extra", "--password-stdin", extra}, "secret\n").Status,
              0);
    ASSERT_EQ(
        RunCli({"shield", "--format", "ultra", "--mode", "4", "--password-file", Path("p"), ultra})
            .Status,
        0);
    EXPECT_EQ(ReadBytes(ultra).size(), FPlain.size() + 8);

    auto restore =
        RunCli({"restore", "--password-stdin", normal, extra, ultra, plain, Path("p")}, "secret");
    EXPECT_EQ(restore.Status, 0) << restore.Err;
    EXPECT_EQ(restore.Out, "restored " + normal + "\nrestored " + extra + "\nrestored " + ultra +
                               "\nskipped " + plain + ": not shielded\nskipped " + Path("p") +
                               ": not a JPEG picture\n");
    for (const auto& path : {normal, extra, ultra, plain}) {
        EXPECT_EQ(ReadBytes(path), FPlain) << path;
        EXPECT_TRUE(SameTime(FileMtime(path), SampleMtime())) << path;
    }
}

TEST_F(Cli, StatusAndMessagesForBadInput) {
    const std::string a = Path("a.jpg");
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string errPart;
    } cases[] = {
        {"NoCommand", {}, "", 2, "no command given"},
        {"UnknownFormat", {"shield", "--format", "gold", a}, "", 2, "--format"},
        {"ModeOutOfRange", {"shield", "--format", "extra", "--mode", "6", a}, "", 2, "1 to 5"},
        {"ModeNotANumber", {"shield", "--format", "normal", "--mode", "2x", a}, "", 2, "1 to 10"},
        {"UltraModeOutOfRange", {"shield", "--format", "ultra", "--mode", "5", a}, "", 2, "1 to 4"},
        {"JpzMode", {"shield", "--format", "jpz", "--mode", "2", a}, "", 2, "jpz has no modes"},
        {"NoFormat", {"shield", a}, "", 2, "--format"},
        {"NoPath", {"check"}, "", 2, "PATH is required"},
        {"NoPasswordSource", {"shield", "--format", "extra", a}, "", 2, "password is needed"},
        {"Unencodable",
         {"shield", "--format", "extra", "--password-stdin", a},
         "pass€word",
         2,
         "Shift-JIS"},
        {"MissingPasswordFile",
         {"shield", "--format", "extra", "--password-file", Path("no"), a},
         "",
         2,
         "password file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = RunCli(c.args, c.input);
        EXPECT_EQ(result.Status, c.status);
        EXPECT_NE(result.Err.find(c.errPart), std::string::npos) << result.Err;
        EXPECT_EQ(ReadBytes(a), FPlain);
    }
}

TEST_F(Cli, JapanesePasswordIsUsedAsShiftJisBytes) {
    const std::string a = Path("a.jpg");
    ASSERT_EQ(RunCli({"shield", "--format", "extra", "--password-stdin", a}, "写真").Status, 0);
    // Shift-JIS 写真 is four bytes, so the head is rotated by four.
    EXPECT_EQ(RunCli({"restore", "--password-stdin", a}, "写").Status, 1);
    EXPECT_EQ(RunCli({"restore", "--password-stdin", a}, "写真\n").Status, 0);
    EXPECT_EQ(ReadBytes(a), FPlain);
}

TEST_F(Cli, CheckReportsMissingFilesAndSkipsOthers) {
    const std::string a = Path("a.jpg");
    // A folder with a picture's name is a folder all the same.
    const std::string album = Path("album.jpg");
    std::filesystem::create_directory(album);
    WriteBytes(album + "/in.jpg", FPlain);
    auto check = RunCli({"check", a, Path("gone.jpg"), album, Path("p")});
    EXPECT_EQ(check.Status, 1);
    const std::string size = std::to_string(FPlain.size());
    EXPECT_EQ(check.Out, "[ Jpeg  ]\t" + size + "\t" + a + "\nfailed " + Path("gone.jpg") +
                             ": No such file or directory\n[ Jpeg  ]\t" + size + "\t" + album +
                             "/in.jpg\nskipped " + Path("p") + ": not a JPEG picture\n");
    EXPECT_EQ(check.Err, "");
}

TEST_F(Cli, FoldersAreTakenInOrderAndRecursionIsAsked) {
    const std::string top = Path("top");
    std::filesystem::create_directories(top + "/sub");
    std::filesystem::create_directories(top + "/.hidden");
    for (const char* name : {"b.jpg", "A.JPG", "sub/c.jpeg", ".hidden/d.jpg", "notes.txt"}) {
        WriteBytes(top + "/" + name, FPlain);
        SetFileMtime(top + "/" + name, SampleMtime());
    }
    auto flat = RunCli({"shield", "--format", "normal", top});
    EXPECT_EQ(flat.Status, 0) << flat.Err;
    EXPECT_EQ(flat.Out, "shielded " + top + "/A.JPG\nshielded " + top + "/b.jpg\n");

    auto deep = RunCli({"restore", "-r", top});
    EXPECT_EQ(deep.Status, 0) << deep.Err;
    EXPECT_EQ(deep.Out, "skipped " + top + "/.hidden/: hidden folder\nrestored " + top +
                            "/A.JPG\nrestored " + top + "/b.jpg\nskipped " + top +
                            "/sub/c.jpeg: not shielded\n");
    for (const char* name : {"b.jpg", "A.JPG", "sub/c.jpeg", ".hidden/d.jpg"}) {
        EXPECT_EQ(ReadBytes(top + "/" + name), FPlain) << name;
        EXPECT_TRUE(SameTime(FileMtime(top + "/" + name), SampleMtime())) << name;
    }

    auto check = RunCli({"check", "-r", top});
    EXPECT_EQ(check.Out.find("d.jpg"), std::string::npos) << "a hidden folder is not entered";
    EXPECT_NE(check.Out.find(top + "/sub/c.jpeg"), std::string::npos);
}

TEST_F(Cli, JpzShieldAndRestoreThroughTheLibrary) {
    const std::string a = Path("a.jpg");
    WriteBytes(Path("p8"), {'1', '2', '3', '4', '5', '6', '7', '8', '\n'});
    WriteBytes(Path("other8"), {'8', '7', '6', '5', '4', '3', '2', '1', '\n'});
    WriteBytes(Path("p7"), {'1', '2', '3', '4', '5', '6', '7', '\n'});

    auto tooShort = RunCli({"shield", "--format", "jpz", "--password-file", Path("p7"), a});
    EXPECT_EQ(tooShort.Status, 2);
    EXPECT_EQ(tooShort.Out, "");
    EXPECT_NE(tooShort.Err.find("at least 8 bytes"), std::string::npos) << tooShort.Err;
    EXPECT_EQ(ReadBytes(a), FPlain);

    ASSERT_EQ(RunCli({"shield", "--format", "jpz", "--password-file", Path("p8"), a}).Status, 0);
    const TBytes shielded = ReadBytes(a);
    EXPECT_EQ(Hex(TBytes(shielded.begin(), shielded.begin() + 4)), "8f988c87");

    auto missing = RunCli({"restore", "--password-file", Path("p8"), a}, "", {"MURKWELL_JPZ=none"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Out, "refused " + a + ": " + "Jpz library not available\n");

    auto wrong = RunCli({"restore", "--password-file", Path("other8"), a});
    EXPECT_EQ(wrong.Status, 1);
    EXPECT_EQ(ReadBytes(a), shielded);

    ASSERT_EQ(RunCli({"restore", "--password-file", Path("p8"), a}).Status, 0);
    EXPECT_EQ(ReadBytes(a), FPlain);
    EXPECT_TRUE(SameTime(FileMtime(a), SampleMtime()));
    EXPECT_FALSE(std::filesystem::exists(Path("a.jpz")));
}
