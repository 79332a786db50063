// Runs that meet a failing disk, a folder or files changing under them:
// every picture ends as it was or completely done, each file that was not
// done is reported with its reason, and the run ends idle.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QStringList>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "BatchFixture.h"
#include "CodecChoice.h"
#include "JpzLibrary.h"
#include "MemoryStream.h"
#include "TestFiles.h"
#include "murkcheck.h"

using namespace murk;
using batchtest::Q;
using batchtest::TBatch;
using murktest::TBytes;

namespace {

// Long enough for Jpz.
constexpr char kPassword[] = "password1";

enum class TOp { Normal, Extra, Ultra, Jpz, Restore };

struct TOpCase {
    const char* Name;
    TOp Op;
};

constexpr TOpCase kAllOps[] = {{"Normal", TOp::Normal},
                               {"Extra", TOp::Extra},
                               {"Ultra", TOp::Ultra},
                               {"Jpz", TOp::Jpz},
                               {"restore", TOp::Restore}};

TShieldSelection SelectionFor(TOp op) {
    TShieldSelection selection;
    selection.PasswordMode = op != TOp::Normal;
    selection.ShieldKind = op == TOp::Ultra ? 2 : op == TOp::Jpz ? 3 : 1;
    selection.UltraEnabled = true;
    selection.JpzAvailable = true;
    return selection;
}

void LoadJpz() {
    ASSERT_TRUE(TJpzLibrary::Instance().Load()) << "libjpz.so beside the tests";
}

void Configure(TBatch& batch) {
    batch.Settings.UltraEnabled = true;
    batch.Settings.JpzAvailable = true;
    batch.View.Password = kPassword;
}

// Over every row of the folder's listing, as the pop-up menu's commands do.
void ListRun(TBatch& batch, TOp op, const std::string& folder) {
    Configure(batch);
    batch.ListFolder(folder);
    batch.Commands.SelectAll1Click();
    switch (op) {
        case TOp::Normal:
            return batch.Commands.ppMurkwellNormalClick();
        case TOp::Extra:
            return batch.Commands.ppMurkwellExtraClick();
        case TOp::Ultra:
            return batch.Commands.ppMurkwellUltraClick();
        case TOp::Jpz:
            return batch.Commands.ppJpzEncodeClick();
        case TOp::Restore:
            return batch.Commands.ppUnMurkwellClick();
    }
}

// Over the dropped folder, scanned by the worker thread.
void ThreadRun(TBatch& batch, TOp op, const std::string& folder) {
    Configure(batch);
    const TShieldSelection selection = SelectionFor(op);
    batch.Settings.PasswordMode = selection.PasswordMode;
    batch.Settings.ShieldKind = selection.ShieldKind;
    batch.Run.SetOperationPosition(op == TOp::Restore ? 1 : 0);
    batch.Commands.WMDropFiles({Q(folder)});
    batch.WaitIdle();
}

using TRunner = void (*)(TBatch&, TOp, const std::string&);

constexpr std::pair<const char*, TRunner> kRunners[] = {{"list run", ListRun},
                                                        {"thread run", ThreadRun}};

// The pictures of a folder before the run, by name.
using TOriginals = std::map<std::string, TBytes>;

// p10.jpg, p11.jpg, ... of the given sizes, all with the sample time stamp.
TOriginals WritePictures(const std::string& folder, const std::vector<size_t>& sizes) {
    TOriginals originals;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const std::string name = "p" + std::to_string(10 + i) + ".jpg";
        originals[name] = murktest::SyntheticJpeg(sizes[i], uint8_t(i));
        murktest::WriteBytes(folder + "/" + name, originals[name]);
        murktest::SetFileMtime(folder + "/" + name, murktest::SampleMtime());
    }
    return originals;
}

TCodecOutcome RunCodecOn(const std::string& path, bool encode, TOp op) {
    TMemoryStream stream;
    stream.LoadFromFile(path);
    return DispatchCodec(stream, path, encode, kPassword, 1, SelectionFor(op));
}

// Shields the pictures in turn Normal, Extra, Ultra and Jpz, so a restore
// meets every format.
void ShieldInAllFormats(const std::string& folder, const TOriginals& originals) {
    const TOp formats[] = {TOp::Normal, TOp::Extra, TOp::Ultra, TOp::Jpz};
    size_t i = 0;
    for (const auto& [name, bytes] : originals) {
        ASSERT_EQ(RunCodecOn(folder + "/" + name, true, formats[i++ % 4]).Result, 1) << name;
    }
}

TMurkState StateOf(const std::string& path) {
    return TMurkCheck().CheckFile(path);
}

// The content a shielded file gives back, restored in a copy.
TBytes RestoredCopy(const std::string& path) {
    murktest::TTempDir scratch;
    const std::string copy = scratch.File(std::filesystem::path(path).filename());
    murktest::WriteBytes(copy, murktest::ReadBytes(path));
    if (RunCodecOn(copy, false, TOp::Restore).Result != 1) {
        return {};
    }
    return murktest::ReadBytes(copy);
}

std::vector<std::string> Names(const TOriginals& originals) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : originals) {
        names.push_back(name);
    }
    return names;
}

// Every picture holds its original bytes, or is completely shielded and
// gives them back; each keeps its time stamp, and nothing was left beside
// them.
void ExpectNothingLost(const std::string& folder, const TOriginals& originals) {
    EXPECT_EQ(murktest::FolderEntries(folder), Names(originals));
    for (const auto& [name, bytes] : originals) {
        SCOPED_TRACE(name);
        const std::string path = folder + "/" + name;
        if (!std::filesystem::is_regular_file(path)) {
            ADD_FAILURE() << "gone";
            continue;
        }
        if (murktest::ReadBytes(path) != bytes) {
            EXPECT_NE(StateOf(path), msJpeg);
            EXPECT_EQ(RestoredCopy(path), bytes) << "not restorable";
        }
        EXPECT_TRUE(murktest::SameTime(murktest::FileMtime(path), murktest::SampleMtime()));
    }
}

bool Done(const std::string& path, TOp op, const TBytes& original) {
    switch (op) {
        case TOp::Normal:
            return StateOf(path) == msNormal;
        case TOp::Extra:
            return StateOf(path) == msExtra;
        case TOp::Ultra:
            return StateOf(path) == msUltra;
        case TOp::Jpz:
            return StateOf(path) == msJpz;
        case TOp::Restore:
            return murktest::ReadBytes(path) == original;
    }
    return false;
}

// The path of every reported file with its reason.
using TFailures = std::map<std::string, std::string>;

TFailures FailuresOf(const TBatch& batch) {
    TFailures failures;
    for (const auto& report : batch.View.FailureReports) {
        for (const TRunFailure& failure : report) {
            failures[failure.Path.toStdString()] = failure.Reason.toStdString();
        }
    }
    return failures;
}

// Each picture the run did not do is reported with a reason that names the
// cause, and no picture that it did is. Answers how many were done.
int ExpectReasonForEachFileNotDone(const std::string& folder, const TOriginals& originals, TOp op,
                                   const TFailures& failures,
                                   const std::vector<std::string>& causes) {
    int done = 0;
    for (const auto& [name, bytes] : originals) {
        SCOPED_TRACE(name);
        const std::string path = folder + "/" + name;
        const auto failure = failures.find(path);
        if (Done(path, op, bytes)) {
            ++done;
            EXPECT_EQ(failure, failures.end()) << failure->second;
        } else if (failure == failures.end()) {
            ADD_FAILURE() << "not done, yet not reported";
        } else {
            EXPECT_TRUE(std::any_of(causes.begin(), causes.end(), [&](const std::string& cause) {
                return failure->second.find(cause) != std::string::npos;
            })) << failure->second;
        }
    }
    return done;
}

// What a run in a child process left in its view.
struct TChildRun {
    bool Idle = false;
    TFailures Failures;
};

// Runs a batch in a child process, which first lowers its limits or drops
// its privileges, and reads back what the run showed.
TChildRun RunInChild(const std::function<void()>& restrict,
                     const std::function<void(TBatch&)>& run) {
    int fds[2];
    if (::pipe(fds) != 0) {
        ADD_FAILURE() << "pipe";
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        restrict();
        TBatch batch;
        run(batch);
        std::string out = batch.Idle() ? "idle\n" : "busy\n";
        for (const auto& [path, reason] : FailuresOf(batch)) {
            out += path + '\t' + reason + '\n';
        }
        const bool written = ::write(fds[1], out.data(), out.size()) == ssize_t(out.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(fds[1]);
    std::string in;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        in.append(buffer, size_t(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child failed: " << status;

    TChildRun result;
    result.Idle = in.starts_with("idle\n");
    size_t start = in.find('\n') + 1;
    for (size_t end; start < in.size() && (end = in.find('\n', start)) != std::string::npos;
         start = end + 1) {
        const std::string line = in.substr(start, end - start);
        const size_t tab = line.find('\t');
        result.Failures[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return result;
}

void DropPrivilegesIfRoot() {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
        ::_exit(99);
    }
}

}  // namespace

// A disk that fills up part way: no save may go past the limit, so the
// larger pictures cannot be written while the smaller ones still can.
TEST(Fault, DiskFillingUpLosesNoPicture) {
    LoadJpz();
    constexpr rlim_t kLimit = 40000;
    std::vector<size_t> sizes;
    for (size_t size = 20000; size <= 60000; size += 4000) {
        sizes.push_back(size);
    }
    for (const auto& [runName, runner] : kRunners) {
        for (const auto& [opName, op] : kAllOps) {
            SCOPED_TRACE(std::string(runName) + ", " + opName);
            murktest::TTempDir dir;
            const TOriginals originals = WritePictures(dir.Path(), sizes);
            if (op == TOp::Restore) {
                ShieldInAllFormats(dir.Path(), originals);
            }
            const TChildRun result = RunInChild(
                [] {
                    ::signal(SIGXFSZ, SIG_IGN);
                    const rlimit limit{kLimit, kLimit};
                    ::setrlimit(RLIMIT_FSIZE, &limit);
                },
                [&](TBatch& batch) { runner(batch, op, dir.Path()); });

            EXPECT_TRUE(result.Idle);
            ExpectNothingLost(dir.Path(), originals);
            const int done =
                ExpectReasonForEachFileNotDone(dir.Path(), originals, op, result.Failures,
                                               {"File too large", "could not write its output"});
            EXPECT_GT(done, 0);
            EXPECT_LT(done, int(sizes.size()));
        }
    }
}

// The first picture is done; then the folder stops taking new files, and
// every later save fails before it begins.
TEST(Fault, FolderMadeReadOnlyDuringTheRun) {
    LoadJpz();
    for (const auto& [runName, runner] : kRunners) {
        for (const auto& [opName, op] : kAllOps) {
            SCOPED_TRACE(std::string(runName) + ", " + opName);
            murktest::TTempDir dir;
            ::chmod(dir.Path().c_str(), 0755);
            const std::string folder = dir.File("pictures");
            ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
            const TOriginals originals = WritePictures(folder, {20000, 21000, 22000, 23000});
            if (op == TOp::Restore) {
                ShieldInAllFormats(folder, originals);
            }
            // The child, without privileges, must own what it changes.
            for (const std::string& path : {folder, folder + "/p10.jpg", folder + "/p11.jpg",
                                            folder + "/p12.jpg", folder + "/p13.jpg"}) {
                ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
            }
            const TChildRun result = RunInChild(DropPrivilegesIfRoot, [&](TBatch& batch) {
                batch.View.OnFileName = [&](const QString&) {
                    if (!batch.Run.IsCheckMode()) {
                        ::chmod(folder.c_str(), 0555);
                    }
                };
                runner(batch, op, folder);
            });
            ::chmod(folder.c_str(), 0755);

            EXPECT_TRUE(result.Idle);
            ExpectNothingLost(folder, originals);
            EXPECT_EQ(ExpectReasonForEachFileNotDone(folder, originals, op, result.Failures,
                                                     {"Permission denied"}),
                      1);
        }
    }
}

// Between the listing (the rows, or the worker's scan) and the per-file
// step, the second picture is deleted, replaced by a folder, or made
// read-only. The others are done; that one is reported and otherwise left
// as the change left it.
TEST(Fault, FileChangedBetweenListingAndProcessing) {
    LoadJpz();
    const struct {
        const char* Name;
        void (*Apply)(const std::string& path);
        const char* Cause;
    } changes[] = {
        {"deleted", [](const std::string& path) { std::filesystem::remove(path); },
         "No such file or directory"},
        {"replaced by a folder",
         [](const std::string& path) {
             std::filesystem::remove(path);
             std::filesystem::create_directory(path);
             murktest::WriteBytes(path + "/inside.jpg", murktest::SyntheticJpeg(3000));
         },
         "not a regular file"},
        {"made read-only", [](const std::string& path) { ::chmod(path.c_str(), 0444); },
         "read-only"},
    };
    for (const auto& change : changes) {
        for (const auto& [runName, runner] : kRunners) {
            for (const TOp op : {TOp::Extra, TOp::Jpz}) {
                SCOPED_TRACE(std::string(change.Name) + ", " + runName +
                             (op == TOp::Jpz ? ", Jpz" : ", Extra"));
                murktest::TTempDir dir;
                TOriginals originals = WritePictures(dir.Path(), {20000, 21000, 22000});
                const std::string changed = dir.File("p11.jpg");
                TBatch batch;
                // A list run's rows exist before it starts; a thread run has
                // scanned the folder before it hands over the first file.
                bool applied = false;
                auto apply = [&] {
                    change.Apply(changed);
                    applied = true;
                };
                if (runner == ThreadRun) {
                    batch.View.OnFileName = [&](const QString&) {
                        if (!applied) {
                            apply();
                        }
                    };
                } else {
                    Configure(batch);
                    batch.ListFolder(dir.Path());
                    ASSERT_EQ(batch.Rows.rowCount(), 3);
                    apply();
                }
                runner(batch, op, dir.Path());
                ASSERT_TRUE(applied);

                EXPECT_TRUE(batch.Idle());
                const TFailures failures = FailuresOf(batch);
                ASSERT_EQ(failures.count(changed), 1u);
                EXPECT_NE(failures.at(changed).find(change.Cause), std::string::npos)
                    << failures.at(changed);
                EXPECT_EQ(failures.size(), 1u);
                EXPECT_EQ(batch.Run.State().ProcessedCount, 2);
                const TBytes changedOriginal = originals.at("p11.jpg");
                originals.erase("p11.jpg");
                for (const auto& [name, bytes] : originals) {
                    EXPECT_TRUE(Done(dir.File(name), op, bytes)) << name;
                }
                if (std::string(change.Name) == "made read-only") {
                    EXPECT_EQ(murktest::ReadBytes(changed), changedOriginal);
                    EXPECT_TRUE(
                        murktest::SameTime(murktest::FileMtime(changed), murktest::SampleMtime()));
                    originals["p11.jpg"] = changedOriginal;
                } else if (std::string(change.Name) == "replaced by a folder") {
                    EXPECT_EQ(murktest::FolderEntries(changed),
                              std::vector<std::string>{"inside.jpg"});
                    std::filesystem::remove_all(changed);
                }
                ExpectNothingLost(dir.Path(), originals);
            }
        }
    }
}

namespace {

// Appends to a file once, as soon as it is read: the run is then loading
// the file, and makes its new content from what it read. Whether the bytes
// went to a file that had already been replaced is kept.
class TGrower {
public:
    TGrower(const std::string& path, TBytes extra)
        : FPath(path), FExtra(std::move(extra)), FNotify(::inotify_init1(IN_CLOEXEC)) {
        ::inotify_add_watch(FNotify, path.c_str(), IN_ACCESS);
        FThread = std::thread([this] { Grow(); });
    }
    ~TGrower() {
        Finish();
        ::close(FNotify);
    }
    TGrower(const TGrower&) = delete;
    TGrower& operator=(const TGrower&) = delete;

    void Finish() {
        if (FThread.joinable()) {
            FThread.join();
        }
    }
    bool Grew() const { return FGrew; }
    bool Orphaned() const { return FOrphaned; }

private:
    void Grow() {
        pollfd event{FNotify, POLLIN, 0};
        if (::poll(&event, 1, 60000) != 1) {
            return;
        }
        const int fd = ::open(FPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0) {
            return;
        }
        FGrew = ::write(fd, FExtra.data(), FExtra.size()) == ssize_t(FExtra.size());
        struct stat st {};
        FOrphaned = ::fstat(fd, &st) == 0 && st.st_nlink == 0;
        ::close(fd);
    }

    std::string FPath;
    TBytes FExtra;
    int FNotify;
    std::atomic<bool> FGrew = false;
    std::atomic<bool> FOrphaned = false;
    std::thread FThread;
};

}  // namespace

// Another program opens a picture for writing and appends to it while the
// run loads it. The save would put content made from the old bytes in its
// place; the run must leave the file to the other writer instead, and say
// why.
TEST(Fault, FileGrowingWhileItIsProcessed) {
    LoadJpz();
    const struct {
        const char* Name;
        TRunner Runner;
        TOp Op;
    } cases[] = {{"list run, Normal", ListRun, TOp::Normal},
                 {"thread run, Jpz", ThreadRun, TOp::Jpz},
                 {"list run, Jpz restore", ListRun, TOp::Restore}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        murktest::TTempDir dir;
        // Large, so that the new content takes a while to make and write.
        const TBytes picture = murktest::SyntheticJpeg(32 << 20);
        const std::string path = dir.File("big.jpg");
        murktest::WriteBytes(path, picture);
        if (c.Op == TOp::Restore) {
            ASSERT_EQ(RunCodecOn(path, true, TOp::Jpz).Result, 1);
        }
        const TBytes before = murktest::ReadBytes(path);
        const TBytes extra(4096, 0x5A);
        TBytes grown = before;
        grown.insert(grown.end(), extra.begin(), extra.end());
        TBatch batch;
        if (c.Runner == ListRun) {
            Configure(batch);
            batch.ListFolder(dir.Path());
        }
        TGrower grower(path, extra);
        c.Runner(batch, c.Op, dir.Path());
        grower.Finish();
        ASSERT_TRUE(grower.Grew());

        EXPECT_TRUE(batch.Idle());
        EXPECT_EQ(murktest::FolderEntries(dir.Path()), std::vector<std::string>{"big.jpg"});
        EXPECT_FALSE(grower.Orphaned());
        EXPECT_TRUE(murktest::ReadBytes(path) == grown);
        const TFailures failures = FailuresOf(batch);
        ASSERT_EQ(failures.count(path), 1u);
        const std::string& reason = failures.at(path);
        EXPECT_TRUE(reason.find("changed while it was processed") != std::string::npos ||
                    reason.find("being written by another program") != std::string::npos)
            << reason;
        EXPECT_EQ(batch.Run.State().ProcessedCount, 0);
    }
}
