#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "CliRunner.h"
#include "TestFiles.h"

using namespace murktest;

namespace {

class CliStatus : public ::testing::Test {
protected:
    void SetUp() override {
        FPlain = MakeJpeg(200, 150);
        WriteBytes(Path("pass"), {'s', 'e', 'c', 'r', 'e', 't', '\n'});
    }
    std::string Picture(const std::string& name) {
        const std::string path = Path(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteBytes(path, FPlain);
        SetFileMtime(path, SampleMtime());
        return path;
    }
    std::string Path(const std::string& name) const { return FDir.File(name); }
    std::vector<std::string> Shield(std::vector<std::string> paths) {
        std::vector<std::string> args{"shield", "--format", "extra", "--password-file",
                                      Path("pass")};
        args.insert(args.end(), paths.begin(), paths.end());
        return args;
    }

    TTempDir FDir;
    TBytes FPlain;
};

}  // namespace

TEST_F(CliStatus, EveryPathGetsOneLineAndTheStatusTellsTheTruth) {
    const std::string a = Picture("a.jpg");
    WriteBytes(Path("notes.txt"), {'x'});
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string out;
    } cases[] = {
        {"MissingPath", Shield({Path("typo"), a}), 1,
         "failed " + Path("typo") + ": No such file or directory\nshielded " + a + "\n"},
        {"MissingPicture",
         {"check", Path("gone.jpg")},
         1,
         "failed " + Path("gone.jpg") + ": No such file or directory\n"},
        {"NotAPicture",
         {"check", Path("notes.txt")},
         0,
         "skipped " + Path("notes.txt") + ": not a JPEG picture\n"},
        {"AlreadyShielded", Shield({a}), 0, "skipped " + a + ": already shielded (Extra)\n"},
        {"NothingToRestore",
         {"restore", Path("notes.txt")},
         0,
         "skipped " + Path("notes.txt") + ": not a JPEG picture\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = RunCli(c.args);
        EXPECT_EQ(result.Status, c.status) << result.Err;
        EXPECT_EQ(result.Out, c.out);
    }
}

TEST_F(CliStatus, FoldersNotEnteredUnderRecursionGetALine) {
    const std::string top = Path("top");
    Picture("top/a.jpg");
    Picture("top/.hidden/b.jpg");
    Picture("top/sub/c.jpg");
    Picture("top/locked/d.jpg");
    std::filesystem::create_directory_symlink("sub", top + "/link");
    ::chmod((top + "/locked").c_str(), 0555);

    const auto result = RunCli(Shield({"-r", top}));
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Out, "skipped " + top + "/.hidden/: hidden folder\nshielded " + top +
                              "/a.jpg\nskipped " + top + "/link/: symbolic link\nskipped " + top +
                              "/locked/: read-only folder\nshielded " + top + "/sub/c.jpg\n");
    EXPECT_EQ(ReadBytes(top + "/.hidden/b.jpg"), FPlain);
    EXPECT_EQ(ReadBytes(top + "/locked/d.jpg"), FPlain);

    // Without -r a sub-folder is not part of the folder's pictures at all.
    const auto flat = RunCli({"check", top});
    EXPECT_EQ(flat.Out,
              "[ Extra ]\t" + std::to_string(FPlain.size() + 8) + "\t" + top + "/a.jpg\n");
}

TEST_F(CliStatus, AFolderThatCannotBeListedIsAFailure) {
    // Root reads any folder; the tool then runs as nobody, for whom the
    // permission bits hold.
    const std::string top = Path("top");
    Picture("top/a.jpg");
    Picture("top/closed/b.jpg");
    Picture("closed/c.jpg");
    ::chmod((top + "/closed").c_str(), 0);
    ::chmod(Path("closed").c_str(), 0);
    ::chmod(FDir.Path().c_str(), 0755);

    const auto result =
        RunCli(CliRun({"check", "-r", top, Path("closed")}).WithNobody(RunningAsRoot()));
    if (result.Status == kCannotStart) {
        GTEST_SKIP() << "nobody cannot start " << MURKWELL_CLI;
    }
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, "[ Jpeg  ]\t" + std::to_string(FPlain.size()) + "\t" + top +
                              "/a.jpg\nfailed " + top + "/closed/: Permission denied\nfailed " +
                              Path("closed") + "/: Permission denied\n");
}

TEST_F(CliStatus, ARerunFinishesAnInterruptedBatchWithStatusZero) {
    const std::string a = Picture("batch/a.jpg");
    const std::string b = Picture("batch/b.jpg");
    ASSERT_EQ(RunCli(Shield({a})).Status, 0);
    const auto again = RunCli(Shield({Path("batch")}));
    EXPECT_EQ(again.Status, 0) << again.Err;
    EXPECT_EQ(again.Out, "skipped " + a + ": already shielded (Extra)\nshielded " + b + "\n");

    const auto restore = RunCli({"restore", "--password-file", Path("pass"), Path("batch")});
    EXPECT_EQ(restore.Status, 0);
    const auto restoreAgain = RunCli({"restore", Path("batch")});
    EXPECT_EQ(restoreAgain.Status, 0) << restoreAgain.Err;
    EXPECT_EQ(restoreAgain.Out,
              "skipped " + a + ": not shielded\nskipped " + b + ": not shielded\n");
}

TEST_F(CliStatus, RestoreWithoutAPasswordRestoresWhatNeedsNone) {
    const std::string normal = Picture("mixed/1.jpg");
    const std::string extra = Picture("mixed/2.jpg");
    const std::string plain = Picture("mixed/3.jpg");
    ASSERT_EQ(RunCli({"shield", "--format", "normal", normal}).Status, 0);
    ASSERT_EQ(RunCli(Shield({extra})).Status, 0);
    const TBytes shielded = ReadBytes(extra);

    // Standard input is a file, not a terminal, and no source was named.
    const auto result = RunCli({"restore", Path("mixed")});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, "restored " + normal + "\nrefused " + extra +
                              ": a password is needed\nskipped " + plain + ": not shielded\n");
    EXPECT_EQ(ReadBytes(normal), FPlain);
    EXPECT_EQ(ReadBytes(extra), shielded);
}

TEST_F(CliStatus, AResultThatCannotBeWrittenIsAFailure) {
    const std::string a = Picture("a.jpg");
    const std::string b = Picture("b.jpg");
    const auto result = RunCli(CliRun(Shield({a, b})).WithOutputPath("/dev/full"));
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("cannot write the results: No space left on device"),
              std::string::npos)
        << result.Err;
    // The run stops rather than go on unreported.
    EXPECT_EQ(ReadBytes(b), FPlain);

    const auto check = RunCli(CliRun({"check", a}).WithOutputPath("/dev/full"));
    EXPECT_EQ(check.Status, 1);
}

TEST_F(CliStatus, PasswordRulesAreUsageErrorsBeforeAnyFile) {
    const std::string a = Picture("a.jpg");
    std::filesystem::create_directory(Path("folder"));
    WriteBytes(Path("latin1"), {'c', 'a', 'f', 0xE9, '\n'});
    const std::string long57(57, 'x');
    const struct {
        const char* name;
        TCliRun run;
        std::string errPart;
    } cases[] = {
        {"Empty", CliRun({"shield", "--format", "ultra", "--password-stdin", a}).WithInput("\n"),
         "empty"},
        {"JpzShort",
         CliRun({"shield", "--format", "jpz", "--password-stdin", a}).WithInput("1234567"),
         "at least 8 bytes as Shift-JIS (CP932); this one has 7"},
        {"JpzShortInShiftJis",
         // Eight bytes of UTF-8 but six of Shift-JIS: the rule counts these.
         CliRun({"shield", "--format", "jpz", "--password-stdin", a}).WithInput("写真ab"),
         "this one has 6"},
        {"ExtraLong",
         CliRun({"shield", "--format", "extra", "--password-stdin", a}).WithInput(long57),
         "at most 56 bytes as Shift-JIS (CP932); this one has 57"},
        {"Nul",
         CliRun({"shield", "--format", "extra", "--password-stdin", a})
             .WithInput(std::string("ab\0cd", 5)),
         "NUL byte"},
        {"NoShiftJis",
         CliRun({"shield", "--format", "extra", "--password-stdin", a}).WithInput("pass€word"),
         "no Shift-JIS (CP932) form"},
        {"NotUtf8", CliRun({"shield", "--format", "extra", "--password-file", Path("latin1"), a}),
         "not UTF-8"},
        {"ClosedStdin",
         CliRun({"shield", "--format", "extra", "--password-stdin", a}).WithClosedInput(),
         "standard input: it is closed"},
        {"FolderAsStdin",
         CliRun({"shield", "--format", "extra", "--password-stdin", a})
             .WithInputPath(Path("folder")),
         "it is a folder"},
        {"FolderAsFile", CliRun({"restore", "--password-file", Path("folder"), a}),
         "it is a folder"},
        {"RepeatedFile",
         CliRun({"shield", "--format", "extra", "--password-file", Path("pass"), "--password-file",
                 Path("pass"), a}),
         "--password-file is given more than once"},
        {"BothSources",
         CliRun({"shield", "--format", "extra", "--password-file", Path("pass"), "--password-stdin",
                 a}),
         "excludes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = RunCli(c.run);
        EXPECT_EQ(result.Status, 2);
        EXPECT_NE(result.Err.find(c.errPart), std::string::npos) << result.Err;
        EXPECT_EQ(result.Out, "");
        EXPECT_EQ(ReadBytes(a), FPlain);
    }

    // A system without the converter to Shift-JIS.
    const auto noConverter =
        RunCli({"shield", "--format", "extra", "--password-file", Path("pass"), a}, "",
               {"MURKWELL_CP932=none"});
    EXPECT_EQ(noConverter.Status, 2);
    EXPECT_NE(noConverter.Err.find("no converter to CP932"), std::string::npos) << noConverter.Err;
    EXPECT_EQ(ReadBytes(a), FPlain);
}
