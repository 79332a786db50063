// murkwell-cli on a desktop where other programs write files, two runs go
// at once, pictures have several names and extended attributes, people
// mistype passwords and pictures do not fit in memory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CliRunner.h"
#include "ExtraCodec.h"
#include "MemoryStream.h"
#include "OutputStream.h"
#include "TestFiles.h"

using namespace murktest;

namespace {

struct TRunning {
    pid_t Pid = -1;
    std::string Out, Err;
};

class SafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(FPassword, Bytes("right password\n"));
        WriteBytes(FWrong, Bytes("wrong password\n"));
    }

    static TBytes Bytes(const std::string& text) { return TBytes(text.begin(), text.end()); }

    TRunning Start(const std::vector<std::string>& args) {
        TRunning running;
        running.Out = FIo.File("out" + std::to_string(FStarted));
        running.Err = FIo.File("err" + std::to_string(FStarted++));
        WriteBytes(FIo.File("in"), {});
        running.Pid = SpawnCli(args, {"MURKWELL_HOME=" + FIo.File("home")}, FIo.File("in"),
                               running.Out, running.Err);
        return running;
    }
    static TCliResult Finish(const TRunning& running) {
        int status = 0;
        ::waitpid(running.Pid, &status, 0);
        TCliResult result;
        result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        // A process killed at once may not have opened them.
        auto read = [](const std::string& path) {
            return ::access(path.c_str(), F_OK) == 0 ? ReadBytes(path) : TBytes();
        };
        const TBytes out = read(running.Out), err = read(running.Err);
        result.Out.assign(out.begin(), out.end());
        result.Err.assign(err.begin(), err.end());
        return result;
    }
    TCliResult Run(const std::vector<std::string>& args) { return Finish(Start(args)); }

    std::vector<std::string> Shield(const std::string& format, std::vector<std::string> paths) {
        std::vector<std::string> args{"shield", "--format", format, "--password-file", FPassword};
        args.insert(args.end(), paths.begin(), paths.end());
        return args;
    }
    std::vector<std::string> Restore(std::vector<std::string> paths, bool right = true) {
        std::vector<std::string> args{"restore", "--password-file", right ? FPassword : FWrong};
        args.insert(args.end(), paths.begin(), paths.end());
        return args;
    }

    TTempDir FDir;
    TTempDir FIo;
    const std::string FPassword = FIo.File("pass");
    const std::string FWrong = FIo.File("wrong");
    int FStarted = 0;
};

// A second process that acts on a file as soon as another file is written
// beside it (a Jpz run's scratch file, before the library's key derivation),
// and reports when it is done.
class TOtherProgram {
public:
    TOtherProgram(const std::string& path, std::function<void(const std::string&)> act) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        FPid = ::fork();
        if (FPid == 0) {
            const int notify = ::inotify_init1(IN_CLOEXEC);
            const std::string folder = path.substr(0, path.find_last_of('/'));
            const std::string name = path.substr(folder.size() + 1);
            ::inotify_add_watch(notify, folder.c_str(), IN_CLOSE_WRITE);
            char byte = 1;
            (void)!::write(ready[1], &byte, 1);
            for (;;) {
                pollfd event{notify, POLLIN, 0};
                alignas(inotify_event) char buffer[4096];
                const ssize_t got =
                    ::poll(&event, 1, 30000) == 1 ? ::read(notify, buffer, sizeof buffer) : -1;
                if (got <= 0) {
                    ::_exit(3);
                }
                const auto* written = reinterpret_cast<const inotify_event*>(buffer);
                if (written->len > 0 && name != written->name) {
                    break;
                }
            }
            act(path);
            ::_exit(0);
        }
        ::close(ready[1]);
        char byte = 0;
        EXPECT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
    }
    bool Acted() {
        int status = 0;
        ::waitpid(FPid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    pid_t FPid = -1;
};

void Rewrite(const std::string& path, const TBytes& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
        ::_exit(4);
    }
    ::close(fd);
}

int Count(const std::string& text, const std::string& line) {
    int count = 0;
    std::istringstream lines(text);
    for (std::string each; std::getline(lines, each);) {
        count += each == line;
    }
    return count;
}

// A password one character away from password that Extra's checksum
// accepts for this shielded file; empty when there is none.
std::string ChecksumPassingSlip(const TBytes& shielded, const std::string& password) {
    for (size_t i = 0; i < password.size(); ++i) {
        for (int c = 0x21; c < 0x7F; ++c) {
            std::string slip = password;
            slip[i] = char(c);
            murk::TMemoryStream content(shielded);
            murk::TOutputStream output;
            if (slip != password &&
                murk::TExtraCodec::Restore(content, slip, output) == murk::TRefusal::None) {
                return slip;
            }
        }
    }
    return {};
}

}  // namespace

// Another program rewrites the picture while a Jpz restore derives its key
// and decrypts: its content stays, whatever the password.
TEST_F(SafetyTest, PictureRewrittenDuringAJpzRestoreKeepsTheNewContent) {
    const std::string path = FDir.File("photo.jpg");
    const TBytes other = MakeJpeg(200, 150, 40);
    for (bool right : {true, false}) {
        SCOPED_TRACE(right ? "right password" : "wrong password");
        WriteBytes(path, SyntheticJpeg(4 << 20, 1));
        ASSERT_EQ(Run(Shield("jpz", {path})).Status, 0);
        TOtherProgram rewriter(path, [&](const std::string& p) { Rewrite(p, other); });
        const TCliResult restore = Run(Restore({path}, right));
        ASSERT_TRUE(rewriter.Acted());
        EXPECT_EQ(restore.Status, 1);
        EXPECT_TRUE(
            std::regex_search(restore.Out, std::regex(right ? "^refused .*(changed while it was "
                                                              "processed|being written by another "
                                                              "program)"
                                                            : "^refused .*(wrong password|changed "
                                                              "while|being written)")))
            << restore.Out;
        EXPECT_EQ(ReadBytes(path), other);
        EXPECT_EQ(FolderEntries(FDir.Path()), std::vector<std::string>{"photo.jpg"});
    }
}

// A download still in progress: the writer has the file open and appends
// now and then. The run refuses it, and every byte the writer adds stays.
TEST_F(SafetyTest, PictureStillBeingWrittenIsRefusedAndKeepsEveryByte) {
    const std::string path = FDir.File("download.jpg"), done = FDir.File("done.jpg");
    const TBytes start = SyntheticJpeg(100000, 2);
    WriteBytes(path, start);
    WriteBytes(done, MakeJpeg(120, 90));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
        char byte = 1;
        (void)!::write(ready[1], &byte, 1);
        for (int chunk = 0; chunk < 20; ++chunk) {
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            const TBytes part(1000, uint8_t(chunk));
            if (::write(fd, part.data(), part.size()) != ssize_t(part.size())) {
                ::_exit(1);
            }
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    const TCliResult shield = Run(Shield("extra", {FDir.Path()}));
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(shield.Status, 1);
    EXPECT_EQ(
        Count(shield.Out, "refused " + path + ": the file is being written by another program"), 1)
        << shield.Out;
    EXPECT_EQ(Count(shield.Out, "shielded " + done), 1) << shield.Out;
    TBytes expected = start;
    for (int chunk = 0; chunk < 20; ++chunk) {
        expected.insert(expected.end(), 1000, uint8_t(chunk));
    }
    EXPECT_EQ(ReadBytes(path), expected);
}

// Two runs over one folder at once (two terminals, or the window and a
// script): each picture is shielded by exactly one of them, the other says
// why it left it, and every picture restores to its original.
TEST_F(SafetyTest, TwoRunsOverOneFolderReportOnlyWhatIsTrue) {
    std::vector<std::string> paths;
    std::map<std::string, TBytes> originals;
    for (int i = 0; i < 60; ++i) {
        paths.push_back(FDir.File("p" + std::to_string(10 + i) + ".jpg"));
        originals[paths.back()] = MakeJpeg(100 + i * 4, 80);
        WriteBytes(paths.back(), originals[paths.back()]);
    }
    const TRunning first = Start(Shield("jpz", {FDir.Path()}));
    const TRunning second = Start(Shield("jpz", {FDir.Path()}));
    const TCliResult a = Finish(first), b = Finish(second);
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const int shielded = Count(a.Out, "shielded " + path) + Count(b.Out, "shielded " + path);
        EXPECT_EQ(shielded, 1) << a.Out << b.Out;
        const TBytes now = ReadBytes(path);
        EXPECT_EQ(std::string(now.begin(), now.begin() + 4), "\x8f\x98\x8c\x87");
    }
    const TCliResult restore = Run(Restore({FDir.Path()}));
    EXPECT_EQ(restore.Status, 0) << restore.Out;
    for (const auto& [path, bytes] : originals) {
        EXPECT_EQ(ReadBytes(path), bytes) << path;
    }
    EXPECT_EQ(FolderEntries(FDir.Path()).size(), paths.size());
}

TEST_F(SafetyTest, PictureWithAnotherNameIsRefused) {
    const std::string a = FDir.File("a.jpg"), b = FDir.File("b.jpg");
    const TBytes picture = MakeJpeg(120, 90);
    WriteBytes(a, picture);
    ASSERT_EQ(::link(a.c_str(), b.c_str()), 0);
    for (const char* format : {"normal", "extra", "ultra", "jpz"}) {
        SCOPED_TRACE(format);
        const TCliResult shield = Run(Shield(format, {a}));
        EXPECT_EQ(shield.Status, 1);
        EXPECT_TRUE(std::regex_search(
            shield.Out, std::regex("^refused " + a +
                                   ": the picture has (1 other name|other names) that would "
                                   "keep it plain")))
            << shield.Out;
        EXPECT_EQ(ReadBytes(a), picture);
        EXPECT_EQ(ReadBytes(b), picture);
    }
}

// Tags a file manager keeps in extended attributes, and set-id bits, come
// through a shield and a restore in every format.
TEST_F(SafetyTest, ExtendedAttributesAndSetIdBitsRoundTrip) {
    const std::string path = FDir.File("tagged.jpg");
    const TBytes picture = MakeJpeg(160, 120);
    WriteBytes(path, picture);
    if (::setxattr(path.c_str(), "user.xdg.tags", "cat", 3, 0) != 0) {
        GTEST_SKIP() << "this file system keeps no user extended attributes";
    }
    ASSERT_EQ(::chmod(path.c_str(), 02750), 0);
    for (const char* format : {"normal", "extra", "ultra", "jpz"}) {
        SCOPED_TRACE(format);
        ASSERT_EQ(Run(Shield(format, {path})).Status, 0);
        ASSERT_EQ(Run(Restore({path})).Status, 0);
        char value[16] = {};
        EXPECT_EQ(::getxattr(path.c_str(), "user.xdg.tags", value, sizeof value), 3);
        EXPECT_EQ(std::string(value), "cat");
        EXPECT_EQ(FileMode(path), 02750u);
        EXPECT_EQ(ReadBytes(path), picture);
    }
}

// A one-character slip that Extra's checksum lets through is refused before
// anything is written; the right password still restores.
TEST_F(SafetyTest, MistypedPasswordThatPassesTheChecksumIsRefused) {
    const std::string path = FDir.File("a.jpg");
    for (int width = 160;; width += 9) {
        ASSERT_LT(width, 900) << "no checksum-passing slip found";
        const TBytes picture = MakeJpeg(width, 40);
        WriteBytes(path, picture);
        ASSERT_EQ(Run(Shield("extra", {path})).Status, 0);
        const TBytes shielded = ReadBytes(path);
        const std::string slip = ChecksumPassingSlip(shielded, "right password");
        if (slip.empty()) {
            ASSERT_EQ(Run(Restore({path})).Status, 0);
            continue;
        }
        WriteBytes(FWrong, Bytes(slip + "\n"));
        const TCliResult wrong = Run(Restore({path}, false));
        EXPECT_EQ(wrong.Status, 1);
        EXPECT_EQ(wrong.Out, "refused " + path + ": wrong password, or the file is damaged\n");
        EXPECT_EQ(ReadBytes(path), shielded);
        EXPECT_EQ(Run(Restore({path})).Status, 0);
        EXPECT_EQ(ReadBytes(path), picture);
        break;
    }
}

TEST_F(SafetyTest, PasswordWithANulByteIsRefusedInEveryFormat) {
    const std::string path = FDir.File("a.jpg");
    const TBytes picture = MakeJpeg(160, 120);
    WriteBytes(path, picture);
    WriteBytes(FPassword, Bytes(std::string("right pass\0word\n", 16)));
    for (const char* format : {"extra", "ultra", "jpz"}) {
        SCOPED_TRACE(format);
        const TCliResult shield = Run(Shield(format, {path}));
        EXPECT_EQ(shield.Status, 1);
        EXPECT_EQ(shield.Out, "refused " + path + ": the password contains a NUL byte\n");
        EXPECT_EQ(ReadBytes(path), picture);
    }
}

// A picture larger than the memory the process may have is refused with a
// reason, and the run goes on to the next one.
TEST_F(SafetyTest, PictureTooLargeForMemoryFailsAndTheRunGoesOn) {
    const std::string huge = FDir.File("a-huge.jpg"), small = FDir.File("b-small.jpg");
    {
        const int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(3) << 30), 0);
        ASSERT_EQ(::pwrite(fd, "\xff\xd8", 2, 0), 2);
        ::close(fd);
    }
    WriteBytes(small, MakeJpeg(120, 90));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{size_t(1) << 30, size_t(1) << 30};
        ::setrlimit(RLIMIT_AS, &limit);
        const TCliResult result = Run(Shield("normal", {huge, small}));
        const bool ok = result.Status == 1 &&
                        result.Out.find("failed " + huge) != std::string::npos &&
                        result.Out.find("too large to hold in memory") != std::string::npos &&
                        result.Out.find("shielded " + small) != std::string::npos;
        if (!ok) {
            std::fprintf(stderr, "%d\n%s%s", result.Status, result.Out.c_str(), result.Err.c_str());
        }
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
}

// A restore of photo.jpeg killed at any moment never leaves a photo.jpg
// that blocks the next one, nor anything else once the next run has tidied.
TEST_F(SafetyTest, KilledJpzRestoreOfAJpegNameBlocksNothing) {
    const std::string path = FDir.File("photo.jpeg"), picture = FDir.File("photo.jpg");
    const TBytes original = SyntheticJpeg(3 << 20, 3);
    WriteBytes(path, original);
    ASSERT_EQ(Run(Shield("jpz", {path})).Status, 0);
    for (int delay = 0; delay < 200; delay += 25) {
        SCOPED_TRACE(delay);
        const TRunning restore = Start(Restore({path}));
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        ::kill(restore.Pid, SIGKILL);
        Finish(restore);
        if (::access(picture.c_str(), F_OK) == 0) {
            EXPECT_EQ(ReadBytes(picture), original);
            ::unlink(picture.c_str());
        }
        const TCliResult again = Run(Restore({path}));
        EXPECT_EQ(again.Status, 0) << again.Out;
        EXPECT_EQ(ReadBytes(picture), original);
        EXPECT_EQ(FolderEntries(FDir.Path()),
                  (std::vector<std::string>{"photo.jpeg", "photo.jpg"}));
        ::unlink(picture.c_str());
    }
}
