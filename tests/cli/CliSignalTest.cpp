#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "CliRunner.h"
#include "TestFiles.h"

using namespace murktest;

namespace {

constexpr int kPictures = 120;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Empty while the program has not made the file yet.
std::string ReadText(const std::string& path) {
    if (::access(path.c_str(), F_OK) != 0) {
        return {};
    }
    const TBytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

// A stop signal lets the file in hand finish, leaves the rest untouched and
// nothing else in the folder, reports every file it did, and ends with
// 128 + the signal.
TEST(CliSignal, AStoppedRunReportsWhatItDidAndLeavesNothingBehind) {
    const struct {
        const char* name;
        int signal;
        const char* format;
        bool restore;
    } cases[] = {
        {"IntDuringExtraShield", SIGINT, "extra", false},
        {"TermDuringJpzShield", SIGTERM, "jpz", false},
        {"HupDuringJpzRestore", SIGHUP, "jpz", true},
        {"IntDuringUltraRestore", SIGINT, "ultra", true},
    };
    const TBytes plain = MakeJpeg(160, 120);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTempDir dir;
        const std::string folder = dir.File("pictures");
        ::mkdir(folder.c_str(), 0755);
        WriteBytes(dir.File("pass"), {'p', 'a', 's', 's', 'w', 'o', 'r', 'd', '\n'});
        std::vector<std::string> names;
        for (int i = 0; i < kPictures; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "p%03d.jpg", i);
            names.push_back(name);
            WriteBytes(folder + "/" + name, plain);
            SetFileMtime(folder + "/" + name, SampleMtime());
        }
        const std::vector<std::string> shieldArgs{"shield",          "--format",       c.format,
                                                  "--password-file", dir.File("pass"), folder};
        std::map<std::string, TBytes> shielded;
        if (c.restore) {
            ASSERT_EQ(RunCli(shieldArgs).Status, 0);
            for (const auto& name : names) {
                shielded[name] = ReadBytes(folder + "/" + name);
            }
        }
        const std::vector<std::string> args =
            c.restore
                ? std::vector<std::string>{"restore", "--password-file", dir.File("pass"), folder}
                : shieldArgs;
        const std::string out = dir.File("out"), err = dir.File("err");
        const pid_t pid = SpawnCli(args, {}, "/dev/null", out, err);
        // Signalled once a few files are done.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (Lines(ReadText(out)).size() < 3 && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ::kill(pid, c.signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + c.signal);

        const auto lines = Lines(ReadText(out));
        EXPECT_LT(lines.size(), size_t(kPictures)) << "the run was not stopped";
        std::set<std::string> reported;
        const std::string verb = c.restore ? "restored " : "shielded ";
        for (const auto& line : lines) {
            ASSERT_TRUE(line.starts_with(verb + folder + "/")) << line;
            reported.insert(line.substr(verb.size() + folder.size() + 1));
        }
        EXPECT_NE(ReadText(err).find("stopped by SIG"), std::string::npos) << ReadText(err);
        EXPECT_NE(ReadText(err).find("after " + std::to_string(lines.size()) + " of " +
                                     std::to_string(kPictures) + " files"),
                  std::string::npos)
            << ReadText(err);

        EXPECT_EQ(FolderEntries(folder), names) << "something was left behind";
        for (const auto& name : names) {
            const TBytes now = ReadBytes(folder + "/" + name);
            const bool done = reported.count(name) > 0;
            if (c.restore) {
                EXPECT_EQ(now, done ? plain : shielded[name]) << name;
            } else if (done) {
                EXPECT_EQ(now[0], 0x8F) << name;
            } else {
                EXPECT_EQ(now, plain) << name;
            }
            EXPECT_TRUE(SameTime(FileMtime(folder + "/" + name), SampleMtime())) << name;
        }
    }
}
