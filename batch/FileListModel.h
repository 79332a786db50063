#pragma once

#include <QAbstractTableModel>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "murkcheck.h"

namespace murk {

enum TFileColumn { colState, colNo, colAttr, colSize, colFileName, colFolder, kFileColumnCount };

// The state icon of a row: the state number, except 6 for a plain JPEG.
int StateIcon(TMurkState state);
constexpr int kOtherIcon = 4;
constexpr int kJpegIcon = 6;

// "R", "S" and "H" for read-only, system and hidden, "-" for each absent.
QString AttrText(uint32_t Attributes);

struct TFileRow {
    int32_t Number = 0;
    std::string Folder;
    std::string FileName;
    uint32_t Attributes = 0;
    // Empty when the size is not known (the file could not be opened).
    std::optional<int64_t> Size;
    int Icon = kOtherIcon;
};

// The rows of the file list. Sorting compares the numbers and names the
// rows were built from, never the texts shown.
class TFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The row's state icon number, in every column.
    static constexpr int StateIconRole = Qt::UserRole + 1;

    explicit TFileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Reads the file's attributes now; Size empty leaves the Size cell blank.
    void AddRow(int32_t Number, const std::string& Path, std::optional<int64_t> Size, int Icon);
    // The cells a list run changes after processing the row's file.
    void UpdateRow(int row, const std::string& FileName, std::optional<int64_t> Size, int Icon);
    void Clear();

    const TFileRow& Row(int row) const { return FRows[size_t(row)]; }
    // Folder and FileName joined again.
    std::string RowPath(int row) const;

    // Inverts the column's direction and sorts by it; the first click sorts
    // descending. Selections and other persistent indexes follow their rows.
    void ListViewColumnClick(int column);
    bool Descending(int column) const { return FDescending[size_t(column)]; }

private:
    std::vector<TFileRow> FRows;
    std::array<bool, kFileColumnCount> FDescending{};
};

}  // namespace murk
