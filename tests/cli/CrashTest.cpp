#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "CliRunner.h"
#include "TestFiles.h"

using namespace murktest;

namespace {

constexpr int kPictures = 300;
constexpr int kKills = 20;
// Kills that come after the run ended do not count; give up after this many tries.
constexpr int kAttempts = 80;

std::string NameOf(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "p%03d.jpg", i);
    return name;
}

bool IsReplaceTemporary(const std::string& name) {
    return name.starts_with(".murkwell-") && name.ends_with(".tmp");
}

}  // namespace

// A shield killed at any moment leaves every picture either as it was or
// completely shielded, and nothing else in the folder.
TEST(Crash, KilledShieldLosesNothing) {
    TTempDir work;
    const std::string password = work.File("pass");
    WriteBytes(password, {'c', 'r', 'a', 's', 'h', '\n'});
    std::vector<TBytes> originals;
    std::vector<std::string> names;
    for (int i = 0; i < kPictures; ++i) {
        originals.push_back(MakeJpeg(64 + i % 40 * 8, 48 + i % 25 * 8));
        names.push_back(NameOf(i));
    }

    auto fillFolder = [&](const std::string& folder) {
        ::mkdir(folder.c_str(), 0755);
        std::vector<std::string> paths;
        for (int i = 0; i < kPictures; ++i) {
            paths.push_back(folder + "/" + names[size_t(i)]);
            WriteBytes(paths.back(), originals[size_t(i)]);
            SetFileMtime(paths.back(), SampleMtime());
        }
        return paths;
    };
    auto shieldArgs = [&](const std::vector<std::string>& paths) {
        std::vector<std::string> args{"shield", "--format", "extra", "--password-file", password};
        args.insert(args.end(), paths.begin(), paths.end());
        return args;
    };

    // How long a whole run takes, to spread the kills over it.
    const auto paths = fillFolder(work.File("full"));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RunCli(shieldArgs(paths)).Status, 0);
    const auto fullRun = std::chrono::duration_cast<std::chrono::microseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();

    std::mt19937 random(20261209);
    long range = std::max<long>(fullRun, 1000);
    int interrupted = 0;
    int halfDone = 0;
    for (int attempt = 0; attempt < kAttempts && interrupted < kKills; ++attempt) {
        const std::string folder = work.File("kill" + std::to_string(attempt));
        const auto copy = fillFolder(folder);
        const long wait = std::uniform_int_distribution<long>(0, range)(random);
        SCOPED_TRACE("killed after " + std::to_string(wait) + " us");
        const pid_t pid = SpawnCli(shieldArgs(copy), {}, "/dev/null", "/dev/null", "/dev/null");
        ::usleep(useconds_t(wait));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (WIFSIGNALED(status)) {
            ++interrupted;
        } else {
            // The machine got faster than the measured run: aim earlier.
            range = std::max<long>(range * 3 / 4, 1000);
        }

        // A kill between naming the new content and renaming it over the
        // picture leaves a hidden temporary, which the next run removes.
        std::vector<std::string> pictures;
        for (const auto& entry : FolderEntries(folder)) {
            if (!IsReplaceTemporary(entry)) {
                pictures.push_back(entry);
            }
        }
        ASSERT_EQ(pictures, names) << "a file was lost or left behind";
        int shielded = 0;
        for (const auto& path : copy) {
            shielded += ReadBytes(path)[0] == 0x8F ? 1 : 0;
        }
        halfDone += shielded > 0 && shielded < kPictures ? 1 : 0;
        std::vector<std::string> restoreArgs{"restore", "--password-file", password};
        restoreArgs.insert(restoreArgs.end(), copy.begin(), copy.end());
        RunCli(restoreArgs);
        ASSERT_EQ(FolderEntries(folder), names) << "the next run leaves nothing behind";
        for (int i = 0; i < kPictures; ++i) {
            ASSERT_EQ(ReadBytes(copy[size_t(i)]), originals[size_t(i)]) << copy[size_t(i)];
            ASSERT_TRUE(SameTime(FileMtime(copy[size_t(i)]), SampleMtime()));
        }
    }
    EXPECT_EQ(interrupted, kKills) << "too few kills landed inside the run";
    EXPECT_GT(halfDone, 0) << "some kills should leave a folder half shielded";
}
