// The worker thread against the window's events: a cancel, folder choices
// and a close that come while a run over thousands of files goes on.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BatchFixture.h"
#include "TestFiles.h"

using namespace murk;
using batchtest::Q;
using batchtest::TBatch;
using murktest::TBytes;

namespace {

constexpr int kManyFiles = 5000;

struct TPictures {
    std::vector<std::string> Paths;
    std::vector<TBytes> Contents;
};

// Small pictures f100000.jpg, f100001.jpg, ..., listed in the order of their number.
TPictures WritePictures(const std::string& folder, int count) {
    TPictures pictures;
    for (int i = 0; i < count; ++i) {
        pictures.Paths.push_back(folder + "/f" + std::to_string(100000 + i) + ".jpg");
        pictures.Contents.push_back(murktest::SyntheticJpeg(1100, uint8_t(i)));
        murktest::WriteBytes(pictures.Paths.back(), pictures.Contents.back());
    }
    return pictures;
}

std::string MakeFolder(const murktest::TTempDir& dir, const std::string& name) {
    const std::string path = dir.File(name);
    EXPECT_EQ(::mkdir(path.c_str(), 0755), 0);
    return path;
}

// What a Normal shield of mode 1 makes of a picture.
TBytes NormalShielded(const TBytes& plain) {
    TBytes shielded = {0x8F, 0x98, 0x8C, 0x96};
    for (size_t i = 0; i < plain.size(); ++i) {
        shielded.push_back(i < 1024 ? uint8_t(~plain[i]) : plain[i]);
    }
    return shielded;
}

// Clicks a button as the user would: from the event loop, between the
// worker's hand-overs, once the run has handled `after` files.
void ClickAfterFiles(TBatch& batch, int after, std::function<void()> click) {
    auto files = std::make_shared<int>(0);
    batch.View.OnFileName = [files, after, click](const QString&) {
        if (++*files == after) {
            QTimer::singleShot(0, click);
        }
    };
}

}  // namespace

// Cancel stops a thread run over a large folder between two files: the
// files handed over so far are whole and done, every later one untouched.
TEST(Concurrency, CancelDuringAThreadRunOverThousandsOfFiles) {
    murktest::TTempDir dir;
    const TPictures pictures = WritePictures(dir.Path(), kManyFiles);
    const bool listings[] = {false, true};
    for (bool listing : listings) {
        SCOPED_TRACE(listing ? "listing" : "shielding");
        TBatch batch;
        batch.Commands.btnSubDirClick();
        ClickAfterFiles(batch, 100, [&] { batch.Commands.btnCancelClick(); });
        if (listing) {
            batch.Folders.TreeViewClick(Q(dir.Path()));
        } else {
            batch.Commands.btnExtraClick();  // Normal
            batch.Commands.WMDropFiles({Q(dir.Path())});
        }
        batch.WaitIdle();

        EXPECT_TRUE(batch.Idle());
        const int handled = batch.Run.State().TotalCount;
        EXPECT_GE(handled, 100);
        EXPECT_LT(handled, kManyFiles);
        ASSERT_EQ(batch.Rows.rowCount(), handled);
        for (int row = 0; row < handled; ++row) {
            ASSERT_EQ(batch.Rows.RowPath(row), pictures.Paths[size_t(row)]);
        }
        EXPECT_TRUE(batch.View.FailureReports.empty());
        EXPECT_TRUE(batch.Settings.SubDirMode);
        if (listing) {
            EXPECT_TRUE(batch.View.EndMessages.empty());
            EXPECT_EQ(batch.View.OperationCaption, " MurkCheck");
            continue;
        }
        EXPECT_EQ(batch.Run.State().ProcessedCount, handled);
        EXPECT_EQ(batch.View.EndMessages.size(), 1u);
        for (size_t i = 0; i < pictures.Paths.size(); ++i) {
            const TBytes expected =
                int(i) < handled ? NormalShielded(pictures.Contents[i]) : pictures.Contents[i];
            ASSERT_EQ(murktest::ReadBytes(pictures.Paths[i]), expected) << pictures.Paths[i];
        }
    }
}

// Folder choices made one after another while a large folder is listed:
// each takes over from the one before, only the last is listed, and no two
// listings ever overlap.
TEST(Concurrency, FolderChoicesDuringAListingRun) {
    murktest::TTempDir dir;
    const std::string big = MakeFolder(dir, "big");
    WritePictures(big, kManyFiles);
    std::vector<std::string> small;
    for (const char* name : {"a", "b", "c"}) {
        small.push_back(MakeFolder(dir, name));
        WritePictures(small.back(), 3);
    }
    TBatch batch;
    ClickAfterFiles(batch, 50, [&] {
        for (const std::string& folder : small) {
            QTimer::singleShot(0, [&batch, folder] { batch.Folders.TreeViewClick(Q(folder)); });
        }
    });
    batch.Folders.TreeViewClick(Q(big));
    batch.WaitIdle();

    EXPECT_TRUE(batch.Idle());
    EXPECT_EQ(batch.Folders.LastFolder(), Q(small.back()));
    EXPECT_EQ(batch.View.Folder, Q(small.back()));
    ASSERT_EQ(batch.Rows.rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(batch.Rows.Row(row).Folder, small.back());
        EXPECT_EQ(batch.Rows.Row(row).Number, row + 1);
    }
    // The big folder's listing and the last one's, each ended before the next began.
    EXPECT_EQ(batch.View.OperationCaptions,
              (std::vector<QString>{" MurkCheck", "Checking...", " MurkCheck", "Checking...",
                                    " MurkCheck"}));
    EXPECT_TRUE(batch.View.EndMessages.empty());
}

// Closing the window asks the run to stop and waits for it, then writes
// the settings. What it writes must be what the run leaves: the run ended,
// sub-folders and the operation button put back, the end message shown,
// and nothing handled after the wait.
TEST(Concurrency, CloseWaitsUntilTheRunHasEnded) {
    murktest::TTempDir dir;
    WritePictures(dir.Path(), kManyFiles);
    const bool listings[] = {true, false};
    for (bool listing : listings) {
        SCOPED_TRACE(listing ? "listing" : "shielding");
        TBatch batch;
        batch.Commands.btnSubDirClick();
        struct {
            bool Closed = false;
            bool Idle = false;
            bool SubDirMode = false;
            bool ForceCheck = true;
            QString Caption;
            size_t EndMessages = 0;
            size_t Files = 0;
        } atClose;
        ClickAfterFiles(batch, 100, [&] {
            batch.Run.CancelAndWait();
            atClose = {true,
                       batch.Idle(),
                       batch.Settings.SubDirMode,
                       batch.Run.State().ForceCheck,
                       batch.Run.OperationButton().Caption,
                       batch.View.EndMessages.size(),
                       batch.View.FileNamePanels.size()};
        });
        if (listing) {
            batch.Folders.TreeViewClick(Q(dir.Path()));
        } else {
            batch.Commands.btnExtraClick();
            batch.Commands.WMDropFiles({Q(dir.Path())});
        }
        batch.WaitIdle();
        QCoreApplication::processEvents();

        ASSERT_TRUE(atClose.Closed);
        EXPECT_TRUE(atClose.Idle);
        EXPECT_TRUE(atClose.SubDirMode);
        EXPECT_FALSE(atClose.ForceCheck);
        EXPECT_EQ(atClose.Caption, listing ? " MurkCheck" : "Murkwell");
        EXPECT_EQ(atClose.EndMessages, listing ? 0u : 1u);
        EXPECT_EQ(batch.View.FileNamePanels.size(), atClose.Files) << "a file after the close";
        EXPECT_LT(atClose.Files, size_t(kManyFiles));
    }
}
