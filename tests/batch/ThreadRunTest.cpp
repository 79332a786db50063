#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QThread>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "BatchFixture.h"
#include "FileSelection.h"
#include "PanelTexts.h"
#include "TestFiles.h"

using namespace murk;
using batchtest::Q;
using batchtest::TBatch;
using murktest::TBytes;

namespace {

// n bytes with the given head; the tail is not a JPEG end.
TBytes WithHead(size_t n, TBytes head) {
    TBytes bytes(n, 0x55);
    std::copy(head.begin(), head.end(), bytes.begin());
    return bytes;
}

void MakeFolder(const std::string& path) {
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
}

void WritePictures(const std::string& folder, int count) {
    for (int i = 0; i < count; ++i) {
        murktest::WriteBytes(folder + "/f" + std::to_string(1000 + i) + ".jpg",
                             murktest::SyntheticJpeg(20000, uint8_t(i)));
    }
}

// Normal shielding, not only checking.
void LeaveCheckMode(TBatch& batch) {
    if (batch.Settings.MurkCheckMode) {
        batch.Commands.ItmMurkCheckModeClick();
    }
    batch.Commands.btnExtraClick();
    ASSERT_FALSE(batch.Run.IsCheckMode());
    ASSERT_FALSE(batch.Settings.PasswordMode);
}

}  // namespace

TEST(ThreadRun, ListingAFolder) {
    murktest::TTempDir dir;
    murktest::WriteBytes(dir.File("b-plain.JPG"), murktest::SyntheticJpeg(3000));
    murktest::WriteBytes(dir.File("A-normal.jpg"), WithHead(2000, {0x8F, 0x98, 0x8C, 0x96}));
    murktest::WriteBytes(dir.File("c-extra.jpeg"), WithHead(64, {0x8F, 0x98, 0x8C, 0xCA}));
    murktest::WriteBytes(dir.File("D-plus.jpg"), WithHead(64, {0xFF, 0xD8}));
    murktest::WriteBytes(dir.File("e-ultra.jpg"), WithHead(64, {0x8F, 0x98, 0x8C, 0xC7}));
    murktest::WriteBytes(dir.File("f-jpz.jpg"), WithHead(64, {0x8F, 0x98, 0x8C, 0x87}));
    murktest::WriteBytes(dir.File("g-other.jpg"), WithHead(19, {0xFF, 0xD8}));
    murktest::WriteBytes(dir.File("notes.txt"), murktest::SyntheticJpeg(64));
    MakeFolder(dir.File("sub"));
    murktest::WriteBytes(dir.File("sub/deep.jpg"), murktest::SyntheticJpeg(64));

    TBatch batch;
    batch.Commands.btnSubDirClick();
    ASSERT_TRUE(batch.Settings.SubDirMode);
    std::vector<bool> subDirDuringRun;
    batch.View.OnFileName = [&](const QString&) {
        subDirDuringRun.push_back(batch.Settings.SubDirMode);
    };
    batch.ListFolder(dir.Path());

    EXPECT_EQ(batch.FileNames(),
              (std::vector<std::string>{"A-normal.jpg", "b-plain.JPG", "c-extra.jpeg", "D-plus.jpg",
                                        "e-ultra.jpg", "f-jpz.jpg", "g-other.jpg"}));
    EXPECT_EQ(batch.Numbers(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(batch.Icons(), (std::vector<int>{1, 6, 2, 3, 5, 7, 4}));
    EXPECT_EQ(batch.Rows.Row(0).Size, 2000);
    EXPECT_EQ(SelectedRows(batch.Selection), std::vector<int>{0});
    EXPECT_EQ(batch.View.Previews, 1);
    EXPECT_EQ(subDirDuringRun, std::vector<bool>(7, false));
    EXPECT_TRUE(batch.Settings.SubDirMode) << "put back after the listing";
    EXPECT_TRUE(batch.Settings.MurkCheckMode);
    EXPECT_EQ(batch.View.OperationCaption, " MurkCheck");
    EXPECT_EQ(batch.View.OperationCaptions,
              (std::vector<QString>{" MurkCheck", "Checking...", " MurkCheck"}));
    EXPECT_TRUE(batch.Run.IsCheckMode());
    EXPECT_TRUE(batch.View.EndMessages.empty());
    EXPECT_EQ(batch.View.Folder, Q(dir.Path()));
    EXPECT_EQ(batch.View.Panels[TPanel::Total], " Total: 7");
    EXPECT_EQ(batch.View.Panels[TPanel::TotalSize], MegabytePanelText(2000 + 3000 + 64 * 4 + 19));
    EXPECT_FALSE(batch.View.CancelEnabled);
    EXPECT_FALSE(batch.View.Animating);
    EXPECT_EQ(batch.View.Progress, 0);
}

TEST(ThreadRun, SameFolderIsListedOnceUntilRefresh) {
    murktest::TTempDir dir;
    WritePictures(dir.Path(), 2);
    TBatch batch;
    auto listings = [&] {
        return std::count(batch.View.OperationCaptions.begin(), batch.View.OperationCaptions.end(),
                          QString("Checking..."));
    };
    batch.ListFolder(dir.Path());
    batch.ListFolder(dir.Path());
    EXPECT_EQ(listings(), 1);
    batch.ListFolder(dir.File("missing"));
    EXPECT_EQ(batch.Rows.rowCount(), 2);
    EXPECT_EQ(batch.Folders.LastFolder(), Q(dir.Path()));

    batch.Folders.btnRefreshClick();
    batch.WaitIdle();
    EXPECT_EQ(listings(), 2);
    EXPECT_EQ(batch.Rows.rowCount(), 2);

    // The folder box chooses on Enter or on a pick, not while typing.
    batch.Folders.cbDirKeyDown('x', "typing");
    EXPECT_TRUE(batch.Folders.Typing());
    batch.Folders.cbDirChange(Q(dir.File("missing")));
    EXPECT_EQ(batch.Folders.LastFolder(), Q(dir.Path()));
    batch.Folders.cbDirKeyDown(13, Q(dir.Path()));
    EXPECT_FALSE(batch.Folders.Typing());
}

TEST(ThreadRun, DroppedPathsInCaseInsensitiveOrder) {
    murktest::TTempDir dir;
    MakeFolder(dir.File("Beta"));
    MakeFolder(dir.File("alpha"));
    for (const char* name : {"Beta/b2.jpg", "Beta/B1.jpg", "alpha/a1.jpg", "Gamma.jpg"}) {
        murktest::WriteBytes(dir.File(name), murktest::SyntheticJpeg(20000));
    }
    murktest::WriteBytes(dir.File("notes.txt"), murktest::SyntheticJpeg(20000));
    TBatch batch;
    LeaveCheckMode(batch);
    batch.Commands.WMDropFiles({Q(dir.File("Gamma.jpg")), Q(dir.File("Beta")),
                                Q(dir.File("notes.txt")), Q(dir.File("alpha"))});
    batch.WaitIdle();

    std::vector<std::string> paths;
    for (int row = 0; row < batch.Rows.rowCount(); ++row) {
        paths.push_back(batch.Rows.RowPath(row));
    }
    EXPECT_EQ(paths, (std::vector<std::string>{dir.File("alpha/a1.jpg"), dir.File("Beta/B1.jpg"),
                                               dir.File("Beta/b2.jpg"), dir.File("Gamma.jpg")}));
    EXPECT_EQ(batch.Numbers(), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(batch.Icons(), std::vector<int>(4, 1));
    EXPECT_EQ(batch.View.FileNamePanels.back(), " FileName: notes.txt");
    EXPECT_EQ(batch.Run.State().TotalCount, 4);
    EXPECT_EQ(batch.View.EndMessages, (std::vector<std::pair<TEndMessagePlace, QString>>{
                                          {TEndMessagePlace::WindowCentre, "Process is end."}}));
    EXPECT_FALSE(batch.Run.State().ListAll);
}

TEST(ThreadRun, ProgressBaseOfFilesOnlyAndOfAnEmptyFolder) {
    murktest::TTempDir dir;
    MakeFolder(dir.File("empty"));
    murktest::WriteBytes(dir.File("a.jpg"), murktest::SyntheticJpeg(20000));
    TBatch batch;
    batch.Commands.WMDropFiles({Q(dir.File("a.jpg"))});
    EXPECT_EQ(batch.View.Panels[TPanel::TotalSize], "0MB");
    batch.WaitIdle();
    EXPECT_EQ(batch.Run.State().ProgressBase, 1000000);

    batch.Commands.WMDropFiles({Q(dir.File("empty"))});
    batch.WaitIdle();
    EXPECT_EQ(batch.Run.State().ProgressBase, 0);
    batch.Run.Timer1Timer();
    EXPECT_EQ(batch.View.Progress, 0);

    const std::tuple<int32_t, int32_t, int> cases[] = {{0, 0, 0},   {3, 4, 75}, {1, 1000000, 0},
                                                       {5, 4, 100}, {1, 3, 33}, {2, 3, 67}};
    for (const auto& [total, base, percent] : cases) {
        EXPECT_EQ(ProgressPercent(total, base), percent) << total << " of " << base;
    }
}

TEST(ThreadRun, CancelStopsAfterTheFileInHand) {
    murktest::TTempDir dir;
    WritePictures(dir.Path(), 6);
    TBatch batch;
    LeaveCheckMode(batch);
    int files = 0;
    batch.View.OnFileName = [&](const QString&) {
        if (++files == 2) {
            batch.Commands.btnCancelClick();
        }
    };
    batch.Commands.WMDropFiles({Q(dir.Path())});
    batch.WaitIdle();
    EXPECT_EQ(files, 2);
    EXPECT_EQ(batch.Icons(), (std::vector<int>{1, 1}));
    EXPECT_EQ(batch.Run.State().ProcessedCount, 2);
    EXPECT_EQ(batch.View.EndMessages.back().second, "Process is end.");
    EXPECT_FALSE(batch.View.CancelEnabled);
}

TEST(ThreadRun, ChoosingAFolderWhileListingCancelsAndListsTheNewOne) {
    murktest::TTempDir dir;
    MakeFolder(dir.File("big"));
    MakeFolder(dir.File("small"));
    WritePictures(dir.File("big"), 300);
    WritePictures(dir.File("small"), 3);
    TBatch batch;
    int files = 0;
    bool chosen = false;
    batch.View.OnFileName = [&](const QString&) {
        ++files;
        if (!chosen) {
            // Slow files, so that the run hands them over in several calls.
            QThread::msleep(2);
        }
        if (files == 5) {
            // As a click would: from the event loop, while the worker goes on.
            QTimer::singleShot(0, [&] {
                chosen = true;
                batch.Folders.TreeViewClick(Q(dir.File("small")));
            });
        }
    };
    batch.Folders.TreeViewClick(Q(dir.File("big")));
    batch.WaitIdle();

    EXPECT_LT(files, 300 + 3);
    EXPECT_EQ(batch.Rows.rowCount(), 3);
    EXPECT_EQ(batch.Rows.Row(0).Folder, dir.File("small"));
    EXPECT_EQ(batch.View.Folder, Q(dir.File("small")));
    EXPECT_EQ(batch.Folders.LastFolder(), Q(dir.File("small")));
    EXPECT_EQ(batch.View.OperationCaption, " MurkCheck");
    EXPECT_TRUE(batch.View.EndMessages.empty());

    // A folder choice during a run that processes is ignored.
    LeaveCheckMode(batch);
    batch.Commands.WMDropFiles({Q(dir.File("small"))});
    batch.Folders.TreeViewClick(Q(dir.File("big")));
    batch.WaitIdle();
    EXPECT_EQ(batch.Folders.LastFolder(), Q(dir.File("small")));
}
