// The window's runs on a desktop where other programs write files, other
// Murkwell runs hold files, pictures have several names and the system may
// lack memory or the Shift-JIS converter: each picture left alone is
// reported with its reason, the others are done, and the run ends idle.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>

#include "BatchFixture.h"
#include "MemoryStream.h"
#include "RunMessages.h"
#include "TestFiles.h"
#include "murkcheck.h"

using namespace murk;
using batchtest::Q;
using batchtest::TBatch;
using murktest::TBytes;

namespace {

constexpr char kPassword[] = "password1";

std::map<std::string, std::string> FailuresOf(const TBatch& batch) {
    std::map<std::string, std::string> failures;
    for (const auto& report : batch.View.FailureReports) {
        for (const TRunFailure& failure : report) {
            failures[failure.Path.toStdString()] = failure.Reason.toStdString();
        }
    }
    return failures;
}

// Shields every picture of the folder with Extra, as the pop-up menu does.
void ShieldFolder(TBatch& batch, const std::string& folder) {
    batch.View.Password = kPassword;
    batch.ListFolder(folder);
    batch.Commands.SelectAll1Click();
    batch.Commands.ppMurkwellExtraClick();
}

// Drops the folder on the window with the run set to shield with Extra.
void DropFolder(TBatch& batch, const std::string& folder) {
    batch.View.Password = kPassword;
    batch.Run.SetOperationPosition(0);
    batch.Commands.WMDropFiles({Q(folder)});
    batch.WaitIdle();
}

bool Shielded(const std::string& path) {
    return TMurkCheck().CheckFile(path) == msExtra;
}

}  // namespace

// A picture with another name, one held by another Murkwell run and one a
// program is writing: each reported with its reason, the rest done.
TEST(Safety, PicturesThatMustBeLeftAloneAreReportedAndTheRestDone) {
    murktest::TTempDir dir;
    const TBytes picture = murktest::MakeJpeg(120, 90);
    const std::string linked = dir.File("a-linked.jpg"), held = dir.File("b-held.jpg"),
                      written = dir.File("c-written.jpg"), plain = dir.File("d-plain.jpg");
    for (const std::string& path : {linked, held, written, plain}) {
        murktest::WriteBytes(path, picture);
    }
    ASSERT_EQ(::link(linked.c_str(), dir.File("other-name.jpx").c_str()), 0);
    TMemoryStream otherRun;
    otherRun.LoadFromFile(held);
    const int writer = ::open(written.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(writer, 0);
    for (auto runner : {ShieldFolder, DropFolder}) {
        TBatch batch;
        runner(batch, dir.Path());
        EXPECT_TRUE(batch.Idle());
        const auto failures = FailuresOf(batch);
        EXPECT_EQ(failures.size(), 3u);
        EXPECT_EQ(failures.at(linked),
                  "Not processed: the picture has 1 other name that would keep it plain.");
        EXPECT_EQ(failures.at(held), "Not processed: in use by another Murkwell run.");
        EXPECT_EQ(failures.at(written),
                  "Not processed: the file is being written by another program.");
        for (const std::string& path : {linked, held, written}) {
            EXPECT_EQ(murktest::ReadBytes(path), picture) << path;
        }
        EXPECT_TRUE(Shielded(plain));
        murktest::WriteBytes(plain, picture);
    }
    ::close(writer);
}

// A download still going on while a run reaches its folder: refused, and
// every byte the writer adds afterwards is in the file.
TEST(Safety, SlowWriterKeepsEveryByte) {
    murktest::TTempDir dir;
    const std::string path = dir.File("download.jpg");
    const TBytes start = murktest::SyntheticJpeg(50000, 4);
    murktest::WriteBytes(path, start);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
        char byte = 1;
        (void)!::write(ready[1], &byte, 1);
        for (int chunk = 0; chunk < 10; ++chunk) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            const TBytes part(500, uint8_t(chunk));
            if (::write(fd, part.data(), part.size()) != ssize_t(part.size())) {
                ::_exit(1);
            }
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    TBatch batch;
    DropFolder(batch, dir.Path());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(FailuresOf(batch).at(path),
              "Not processed: the file is being written by another program.");
    TBytes expected = start;
    for (int chunk = 0; chunk < 10; ++chunk) {
        expected.insert(expected.end(), 500, uint8_t(chunk));
    }
    EXPECT_EQ(murktest::ReadBytes(path), expected);
    EXPECT_EQ(batch.Run.State().ProcessedCount, 0);
}

// Two runs in two processes over one folder: together they shield each
// picture once, and what each reports as done is done.
TEST(Safety, TwoRunsOverOneFolderReportOnlyWhatIsTrue) {
    murktest::TTempDir dir;
    std::map<std::string, TBytes> originals;
    for (int i = 0; i < 30; ++i) {
        const std::string path = dir.File("p" + std::to_string(10 + i) + ".jpg");
        originals[path] = murktest::MakeJpeg(200 + i * 8, 150);
        murktest::WriteBytes(path, originals[path]);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TBatch other;
        DropFolder(other, dir.Path());
        ::_exit(other.Idle() ? other.Run.State().ProcessedCount : 255);
    }
    TBatch batch;
    DropFolder(batch, dir.Path());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    const int otherDone = WEXITSTATUS(status);
    ASSERT_NE(otherDone, 255);
    // A picture the other run had shielded first is no JPEG any more, so
    // this run left it as a listed Extra file.
    EXPECT_EQ(batch.Run.State().ProcessedCount + otherDone, int(originals.size()));
    for (const auto& [path, bytes] : originals) {
        EXPECT_TRUE(Shielded(path)) << path;
    }
    for (const auto& [path, reason] : FailuresOf(batch)) {
        EXPECT_EQ(reason, "Not processed: in use by another Murkwell run.") << path;
    }
}

// A picture larger than the memory the process may have, and a system
// without the Shift-JIS converter: no exception ends the run.
TEST(Safety, NoExceptionEndsARun) {
    murktest::TTempDir dir;
    const std::string huge = dir.File("a-huge.jpg"), small = dir.File("b-small.jpg");
    {
        const int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(3) << 30), 0);
        ASSERT_EQ(::pwrite(fd, "\xff\xd8", 2, 0), 2);
        ::close(fd);
    }
    const TBytes picture = murktest::MakeJpeg(120, 90);
    murktest::WriteBytes(small, picture);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{size_t(2) << 30, size_t(2) << 30};
        ::setrlimit(RLIMIT_AS, &limit);
        TBatch batch;
        DropFolder(batch, dir.Path());
        const auto failures = FailuresOf(batch);
        const bool ok =
            batch.Idle() && failures.size() == 1 &&
            failures.at(huge).find("too large to hold in memory") != std::string::npos &&
            Shielded(small);
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);

    // Without the converter the commands say so before any file is touched.
    murktest::WriteBytes(small, picture);
    ::setenv("MURKWELL_CP932", "none", 1);
    for (auto runner : {ShieldFolder, DropFolder}) {
        TBatch batch;
        runner(batch, dir.Path());
        ASSERT_FALSE(batch.View.Messages.empty());
        EXPECT_EQ(batch.View.Messages.back().second, kNoCp932ConverterText);
        EXPECT_TRUE(FailuresOf(batch).empty());
        EXPECT_FALSE(batch.Run.Busy());
    }
    ::unsetenv("MURKWELL_CP932");
    EXPECT_EQ(murktest::ReadBytes(small), picture);
}
