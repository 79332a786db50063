#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QItemSelectionModel>

#include "BatchFixture.h"
#include "FileListModel.h"
#include "FileSelection.h"
#include "FileSystem.h"
#include "TestFiles.h"

using namespace murk;
using batchtest::TBatch;

namespace {

std::vector<int32_t> NumbersOf(const TFileListModel& list) {
    std::vector<int32_t> numbers;
    for (int row = 0; row < list.rowCount(); ++row) {
        numbers.push_back(list.Row(row).Number);
    }
    return numbers;
}

QString Cell(const TFileListModel& list, int row, int column) {
    return list.data(list.index(row, column)).toString();
}

}  // namespace

TEST(FileList, ColumnsCaptionsAndAlignments) {
    TFileListModel list;
    const char* captions[] = {"State", "No.", "Attr.", "Size", "FileName", "Folder"};
    const Qt::Alignment alignments[] = {Qt::AlignLeft,  Qt::AlignRight, Qt::AlignHCenter,
                                        Qt::AlignRight, Qt::AlignLeft,  Qt::AlignLeft};
    ASSERT_EQ(list.columnCount(), 6);
    for (int column = 0; column < 6; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(list.headerData(column, Qt::Horizontal).toString(), captions[column]);
        const auto alignment =
            list.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
        EXPECT_EQ(alignment & Qt::AlignHorizontal_Mask, alignments[column]);
    }
}

TEST(FileList, AttrTextLetters) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "---"},           {faReadOnly, "R--"}, {faSysFile, "-S-"},    {faHidden, "--H"},
        {faDirectory, "---"}, {0x07, "RSH"},       {~uint32_t{0}, "RSH"},
    };
    for (const auto& [attributes, text] : cases) {
        EXPECT_EQ(AttrText(attributes), text) << attributes;
    }
}

TEST(FileList, RowCellsComeFromTheNumbersAndTheFile) {
    murktest::TTempDir dir;
    const std::string plain = dir.File("plain.jpg");
    murktest::WriteBytes(plain, murktest::SyntheticJpeg(64));
    // Hidden (a dot name), system (not a regular file) and read-only (no
    // write bit) at once.
    const std::string odd = dir.File(".pipe.jpg");
    ASSERT_EQ(::mkfifo(odd.c_str(), 0444), 0);

    TFileListModel list;
    list.AddRow(7, plain, 1234567, kJpegIcon);
    list.AddRow(8, odd, std::nullopt, kOtherIcon);
    list.AddRow(9, dir.File("gone.jpg"), 0, kOtherIcon);

    EXPECT_EQ(Cell(list, 0, colState), "");
    EXPECT_EQ(Cell(list, 0, colNo), "7");
    EXPECT_EQ(Cell(list, 0, colAttr), "---");
    EXPECT_EQ(Cell(list, 0, colSize), "1,234,567");
    EXPECT_EQ(Cell(list, 0, colFileName), "plain.jpg");
    EXPECT_EQ(Cell(list, 0, colFolder), QString::fromStdString(dir.Path()));
    EXPECT_EQ(list.data(list.index(0, colState), TFileListModel::StateIconRole).toInt(), 6);
    EXPECT_EQ(list.RowPath(0), plain);

    EXPECT_EQ(Cell(list, 1, colAttr), "RSH");
    EXPECT_EQ(Cell(list, 1, colSize), "") << "an unknown size shows nothing";
    EXPECT_EQ(Cell(list, 2, colAttr), "RSH") << "attributes that cannot be read";
    EXPECT_EQ(Cell(list, 2, colSize), "0");

    list.AddRow(10, "/root-file.jpg", 1, kJpegIcon);
    EXPECT_EQ(Cell(list, 3, colFolder), "/");
    EXPECT_EQ(list.RowPath(3), "/root-file.jpg");
}

// Each column sorted by the values the rows were built from: numbers that
// sort wrongly as text, sizes past 2 GiB, and an unknown size.
TEST(FileList, SortingEachColumnBothWays) {
    TFileListModel list;
    list.AddRow(2, "/b/zeta.jpg", 999, 1);
    list.AddRow(10, "/a/alpha.jpg", int64_t(5) << 30, 6);
    list.AddRow(9, "/c/beta.jpg", std::nullopt, 2);
    list.AddRow(100, "/d/gamma.jpg", 1000, 4);
    QItemSelectionModel selection(&list);
    selection.select(list.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

    struct TSortCase {
        int Column;
        std::vector<int32_t> Descending;
        std::vector<int32_t> Ascending;
    };
    const TSortCase cases[] = {
        {colState, {10, 100, 9, 2}, {2, 9, 100, 10}},
        {colNo, {100, 10, 9, 2}, {2, 9, 10, 100}},
        {colSize, {10, 100, 2, 9}, {9, 2, 100, 10}},
        {colFileName, {2, 100, 9, 10}, {10, 9, 100, 2}},
        {colFolder, {100, 9, 2, 10}, {10, 2, 9, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Column);
        EXPECT_FALSE(list.Descending(c.Column));
        list.ListViewColumnClick(c.Column);
        EXPECT_EQ(NumbersOf(list), c.Descending);
        list.ListViewColumnClick(c.Column);
        EXPECT_EQ(NumbersOf(list), c.Ascending);
        EXPECT_FALSE(list.Descending(c.Column));

        // The selected row is still the one numbered 10.
        const std::vector<int> selected = SelectedRows(selection);
        ASSERT_EQ(selected.size(), 1u);
        EXPECT_EQ(list.Row(selected[0]).Number, 10);
    }
    list.ListViewColumnClick(colSize);
    EXPECT_TRUE(list.Descending(colSize));
    EXPECT_FALSE(list.Descending(colNo)) << "each column keeps its own direction";
}

TEST(FileList, SelectionCommands) {
    TBatch batch;
    for (int icon : {6, 2, 6, 2, 2}) {
        batch.Rows.AddRow(batch.Rows.rowCount() + 1, "/x/f.jpg", 1, icon);
    }
    batch.Commands.SelectAll1Click();
    EXPECT_EQ(SelectedRows(batch.Selection), (std::vector<int>{0, 1, 2, 3, 4}));
    batch.Commands.SelectByState(kJpegIcon);
    EXPECT_EQ(SelectedRows(batch.Selection), (std::vector<int>{0, 2}));
    batch.Commands.SelectByState(5);
    EXPECT_TRUE(SelectedRows(batch.Selection).empty());

    for (int row = 5; row < 25; ++row) {
        batch.Rows.AddRow(row + 1, "/x/f.jpg", 1, 1);
    }
    batch.SelectRows({0, 1, 2, 3, 4});
    batch.Commands.Reverse1Click();
    std::vector<int> rest;
    for (int row = 5; row < 25; ++row) {
        rest.push_back(row);
    }
    EXPECT_EQ(SelectedRows(batch.Selection), rest);

    // While a run is busy the commands leave the selection alone.
    batch.Run.State().Busy = true;
    batch.Commands.SelectAll1Click();
    batch.Commands.Reverse1Click();
    batch.Commands.SelectByState(1);
    batch.Run.State().Busy = false;
    EXPECT_EQ(SelectedRows(batch.Selection), rest);
}
