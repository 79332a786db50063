#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "BatchFixture.h"
#include "FileSystem.h"
#include "TestFiles.h"

using namespace murk;
using batchtest::Q;
using batchtest::TBatch;
using murktest::TBytes;

namespace {

// Pictures p0.jpg, p1.jpg, ... of distinct content and a known time stamp.
std::vector<TBytes> WritePictures(const murktest::TTempDir& dir, int count, size_t size = 20000) {
    std::vector<TBytes> contents;
    for (int i = 0; i < count; ++i) {
        contents.push_back(murktest::SyntheticJpeg(size + size_t(i) * 100, uint8_t(i)));
        const std::string path = dir.File("p" + std::to_string(i) + ".jpg");
        murktest::WriteBytes(path, contents.back());
        murktest::SetFileMtime(path, murktest::SampleMtime());
    }
    return contents;
}

std::string Head(const std::string& path) {
    const TBytes bytes = murktest::ReadBytes(path);
    return murktest::Hex(TBytes(bytes.begin(), bytes.begin() + 8));
}

size_t EntryCount(const std::string& folder) {
    return size_t(std::distance(std::filesystem::directory_iterator(folder),
                                std::filesystem::directory_iterator()));
}

}  // namespace

TEST(ListRun, RestoreFollowsEachFilesOwnFormat) {
    murktest::TTempDir dir;
    const auto originals = WritePictures(dir, 8);
    TBatch batch;
    batch.Settings.UltraEnabled = true;
    batch.View.Password = "secret";
    batch.ListFolder(dir.Path());
    ASSERT_EQ(batch.Rows.rowCount(), 8);

    batch.SelectRows({0, 1});
    batch.Commands.ppMurkwellNormalClick();
    batch.SelectRows({2, 3});
    batch.Commands.ppMurkwellExtraClick();
    batch.SelectRows({4, 5});
    batch.Commands.ppMurkwellUltraClick();
    EXPECT_EQ(batch.Icons(), (std::vector<int>{1, 1, 2, 2, 5, 5, 6, 6}));
    EXPECT_EQ(Head(dir.File("p0.jpg")).substr(0, 8), "8f988c96");
    EXPECT_EQ(Head(dir.File("p2.jpg")).substr(0, 8), "8f988ccb");
    EXPECT_EQ(Head(dir.File("p4.jpg")).substr(0, 8), "8f988cc7");

    batch.Commands.SelectAll1Click();
    batch.Commands.ppUnMurkwellClick();
    EXPECT_EQ(batch.Icons(), std::vector<int>(8, 6));
    for (int i = 0; i < 8; ++i) {
        const std::string path = dir.File("p" + std::to_string(i) + ".jpg");
        SCOPED_TRACE(path);
        EXPECT_EQ(murktest::ReadBytes(path), originals[size_t(i)]);
        EXPECT_TRUE(murktest::SameTime(murktest::FileMtime(path), murktest::SampleMtime()));
        EXPECT_EQ(batch.Rows.Row(i).Size, int64_t(originals[size_t(i)].size()));
    }
    EXPECT_EQ(batch.Run.State().TotalCount, 8);
    EXPECT_EQ(batch.Run.State().ProcessedCount, 6);
    ASSERT_FALSE(batch.View.EndMessages.empty());
    EXPECT_EQ(batch.View.EndMessages.back(),
              std::make_pair(TEndMessagePlace::ListViewCentre, QString("Process is end.")));
    EXPECT_TRUE(batch.View.FailureReports.empty());
    EXPECT_EQ(batch.Settings.PasswordHistory, QStringList{"secret"});
}

// With the Ultra option on, an Extra shield takes the Ultra mode number,
// which shows in the header form and its block length.
TEST(ListRun, ExtraModeNumberFollowsTheUltraOption) {
    const std::pair<bool, const char*> cases[] = {
        {false, "8f988ccb"},
        {true, "8f988ccafff3ffff"},
    };
    for (const auto& [ultra, head] : cases) {
        SCOPED_TRACE(ultra);
        murktest::TTempDir dir;
        WritePictures(dir, 1);
        TBatch batch;
        batch.Settings.UltraEnabled = ultra;
        batch.Settings.ExtraModeNo = 1;
        batch.Settings.UltraModeNo = 3;
        batch.View.Password = "secret";
        batch.ListFolder(dir.Path());
        batch.SelectRows({0});
        batch.Commands.ppMurkwellExtraClick();
        EXPECT_EQ(Head(dir.File("p0.jpg")).substr(0, std::string(head).size()), head);
    }
}

TEST(ListRun, NewExtensionNeverReplacesAnExistingFile) {
    murktest::TTempDir dir;
    const TBytes a = murktest::SyntheticJpeg(20000, 1);
    const TBytes b = murktest::SyntheticJpeg(20000, 2);
    const TBytes other = murktest::SyntheticJpeg(20000, 3);
    murktest::WriteBytes(dir.File("a.jpg"), a);
    murktest::WriteBytes(dir.File("b.jpg"), b);
    murktest::WriteBytes(dir.File("b.jpx"), other);
    TBatch batch;
    batch.Settings.RenameExt = true;
    batch.Settings.NewExt = "jpx";
    batch.View.Password = "secret";
    batch.ListFolder(dir.Path());
    ASSERT_EQ(batch.FileNames(), (std::vector<std::string>{"a.jpg", "b.jpg", "b.jpx"}));

    batch.SelectRows({0, 1});
    batch.Commands.ppMurkwellExtraClick();
    EXPECT_EQ(batch.FileNames(), (std::vector<std::string>{"a.jpx", "b.jpg", "b.jpx"}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.jpg")));
    EXPECT_EQ(batch.Icons(), (std::vector<int>{2, 2, 6}));
    EXPECT_EQ(murktest::ReadBytes(dir.File("b.jpx")), other);

    batch.SelectRows({0});
    batch.Commands.ppUnMurkwellClick();
    EXPECT_EQ(batch.FileNames()[0], "a.jpg");
    EXPECT_EQ(murktest::ReadBytes(dir.File("a.jpg")), a);
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.jpx")));
}

TEST(ListRun, CancelStopsBeforeTheNextRow) {
    murktest::TTempDir dir;
    const auto originals = WritePictures(dir, 6);
    TBatch batch;
    batch.ListFolder(dir.Path());
    int files = 0;
    batch.View.OnFileName = [&](const QString&) {
        if (++files == 2) {
            batch.Commands.btnCancelClick();
        }
    };
    batch.Commands.SelectAll1Click();
    batch.Commands.ppMurkwellNormalClick();

    EXPECT_EQ(batch.Icons(), (std::vector<int>{1, 1, 6, 6, 6, 6}));
    for (int i = 2; i < 6; ++i) {
        EXPECT_EQ(murktest::ReadBytes(dir.File("p" + std::to_string(i) + ".jpg")),
                  originals[size_t(i)]);
    }
    EXPECT_EQ(batch.View.EndMessages.back().second, "Process is end.");
    EXPECT_FALSE(batch.Run.State().CancelRequested);
    EXPECT_FALSE(batch.Run.Busy());
    EXPECT_FALSE(batch.View.CancelEnabled);
}

TEST(ListRun, FileThatCannotBeOpenedShowsNoSize) {
    murktest::TTempDir dir;
    WritePictures(dir, 3);
    TBatch batch;
    batch.ListFolder(dir.Path());
    std::filesystem::remove(dir.File("p1.jpg"));
    batch.Commands.SelectAll1Click();
    batch.Commands.ppMurkwellNormalClick();

    EXPECT_EQ(batch.Icons(), (std::vector<int>{1, 4, 1}));
    EXPECT_FALSE(batch.Rows.Row(1).Size.has_value());
    EXPECT_EQ(batch.Rows.data(batch.Rows.index(1, colSize)).toString(), "");
    EXPECT_EQ(batch.Run.State().TotalCount, 3);
    ASSERT_EQ(batch.View.FailureReports.size(), 1u);
    ASSERT_EQ(batch.View.FailureReports[0].size(), 1u);
    EXPECT_EQ(batch.View.FailureReports[0][0].Path, Q(dir.File("p1.jpg")));
    EXPECT_TRUE(batch.View.FailureReports[0][0].Reason.startsWith("Cannot open"));
}

TEST(ListRun, PanelsAndProgressWhileRunning) {
    murktest::TTempDir dir;
    // A short header of four bytes makes each shielded file 500,000 bytes.
    for (int i = 0; i < 4; ++i) {
        murktest::WriteBytes(dir.File("p" + std::to_string(i) + ".jpg"),
                             murktest::SyntheticJpeg(499996, uint8_t(i)));
    }
    TBatch batch;
    batch.ListFolder(dir.Path());
    const int64_t start = batch.Clock.Now;
    int files = 0;
    batch.View.OnFileName = [&](const QString&) {
        ++files;
        if (files == 1) {
            EXPECT_EQ(batch.View.Panels[TPanel::Time], " Time: 0.0sec");
            EXPECT_EQ(batch.View.Panels[TPanel::TotalSize], "0 MB");
            EXPECT_EQ(batch.View.Panels[TPanel::ProcessedSize], "0 MB");
        }
        if (files == 3) {
            batch.Clock.Now = start + 12500;
            batch.Run.Timer1Timer();
            EXPECT_EQ(batch.View.Panels[TPanel::Time], " Time: 12.5sec");
            EXPECT_EQ(batch.View.Panels[TPanel::Total], " Total: 3");
            EXPECT_EQ(batch.View.Panels[TPanel::Processed], " Processed: 3");
            EXPECT_EQ(batch.View.Panels[TPanel::ProcessedSize], "1.500000MB");
            EXPECT_EQ(batch.View.Progress, 75);
        }
    };
    batch.Commands.SelectAll1Click();
    batch.Commands.ppMurkwellNormalClick();

    EXPECT_EQ(files, 4);
    EXPECT_EQ(batch.View.Panels[TPanel::ProcessedSize], "2.000000MB");
    EXPECT_EQ(batch.View.Panels[TPanel::TotalSize], "2.000000MB");
    EXPECT_EQ(batch.View.Panels[TPanel::FileName], " FileName: p3.jpg");
    EXPECT_EQ(batch.View.Panels[TPanel::Time], " Time: 12.5sec") << "kept from the last tick";
    EXPECT_EQ(batch.View.PanelColors[TPanel::Time], kBlack);
    EXPECT_EQ(batch.View.Progress, 0);
    EXPECT_EQ(batch.View.FolderHistory, QStringList{Q(dir.Path())});
}

// A save that fails part way (here: past the process's file size limit,
// as a full disk would) leaves that file as it was and the run goes on.
TEST(ListRun, FailedSaveIsReportedAndTheRunGoesOn) {
    const bool threadRuns[] = {false, true};
    for (bool threadRun : threadRuns) {
        SCOPED_TRACE(threadRun ? "thread run" : "list run");
        murktest::TTempDir dir;
        const TBytes big = murktest::SyntheticJpeg(300000, 9);
        murktest::WriteBytes(dir.File("p0.jpg"), murktest::SyntheticJpeg(20000, 1));
        murktest::WriteBytes(dir.File("p1.jpg"), big);
        murktest::WriteBytes(dir.File("p2.jpg"), murktest::SyntheticJpeg(20000, 2));
        TBatch batch;
        if (threadRun) {
            batch.Commands.btnExtraClick();  // Normal, and no check mode
        } else {
            batch.ListFolder(dir.Path());
            batch.Commands.SelectAll1Click();
        }

        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{100000, saved.rlim_max};
        auto* oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        if (threadRun) {
            batch.Commands.WMDropFiles({Q(dir.Path())});
            batch.WaitIdle();
        } else {
            batch.Commands.ppMurkwellNormalClick();
        }
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, oldHandler);

        EXPECT_EQ(batch.Icons(), (std::vector<int>{1, 6, 1}));
        EXPECT_EQ(batch.Rows.Row(1).Size, int64_t(big.size()));
        EXPECT_EQ(murktest::ReadBytes(dir.File("p1.jpg")), big);
        EXPECT_EQ(EntryCount(dir.Path()), 3u) << "no temporary file is left behind";
        EXPECT_EQ(batch.Run.State().ProcessedCount, 2);
        ASSERT_EQ(batch.View.FailureReports.size(), 1u);
        ASSERT_EQ(batch.View.FailureReports[0].size(), 1u);
        EXPECT_EQ(batch.View.FailureReports[0][0].Path, Q(dir.File("p1.jpg")));
        EXPECT_TRUE(batch.View.FailureReports[0][0].Reason.contains("File too large"))
            << batch.View.FailureReports[0][0].Reason.toStdString();
        EXPECT_FALSE(batch.Run.Busy());
        EXPECT_FALSE(batch.View.CancelEnabled);
        EXPECT_FALSE(batch.View.Animating);
    }
}

// A folder the process may not write: the shield cannot even begin its
// save. The file stays as it was, and the user is told rather than left
// to think the picture is protected.
TEST(ListRun, UnwritableFolderIsReported) {
    murktest::TTempDir dir;
    const std::string folder = dir.File("locked");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ::chmod(dir.Path().c_str(), 0755);
    const TBytes original = murktest::SyntheticJpeg(20000);
    murktest::WriteBytes(folder + "/a.jpg", original);
    ::chmod((folder + "/a.jpg").c_str(), 0666);
    if (::geteuid() != 0) {
        ::chmod(folder.c_str(), 0555);
    }

    // Root may write anywhere, so the run happens in a child without privileges.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) {
            ::_exit(2);
        }
        TBatch batch;
        batch.Rows.AddRow(1, folder + "/a.jpg", 20000, kJpegIcon);
        batch.SelectRows({0});
        batch.Commands.ppMurkwellNormalClick();
        const auto& reports = batch.View.FailureReports;
        const bool reported = reports.size() == 1 && reports[0].size() == 1 &&
                              reports[0][0].Path == Q(folder + "/a.jpg") &&
                              reports[0][0].Reason.contains("Permission denied");
        const bool unchanged = batch.Icons() == std::vector<int>{kJpegIcon} &&
                               batch.Run.State().ProcessedCount == 0 &&
                               murktest::ReadBytes(folder + "/a.jpg") == original;
        ::_exit(reported && unchanged ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(murktest::ReadBytes(folder + "/a.jpg"), original);
}
