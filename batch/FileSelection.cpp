#include "FileSelection.h"

#include <algorithm>

#include "FileListModel.h"

namespace murk {

namespace {

// Whole-row ranges over every run of consecutive rows that pass.
template <typename Pass>
QItemSelection RowsWhere(const TFileListModel& list, Pass pass) {
    QItemSelection rows;
    const int count = list.rowCount();
    for (int row = 0; row < count; ++row) {
        if (!pass(row)) {
            continue;
        }
        int last = row;
        while (last + 1 < count && pass(last + 1)) {
            ++last;
        }
        rows.append(
            QItemSelectionRange(list.index(row, 0), list.index(last, kFileColumnCount - 1)));
        row = last;
    }
    return rows;
}

}  // namespace

void SelectByState(QItemSelectionModel& selection, const TFileListModel& list, int Icon) {
    selection.select(RowsWhere(list, [&](int row) { return list.Row(row).Icon == Icon; }),
                     QItemSelectionModel::ClearAndSelect);
}

void SelectAllRows(QItemSelectionModel& selection, const TFileListModel& list) {
    selection.select(RowsWhere(list, [](int) { return true; }), QItemSelectionModel::Select);
}

void ReverseSelection(QItemSelectionModel& selection, const TFileListModel& list) {
    std::vector<bool> selected(size_t(list.rowCount()), false);
    for (int row : SelectedRows(selection)) {
        selected[size_t(row)] = true;
    }
    selection.select(RowsWhere(list, [&](int row) { return !selected[size_t(row)]; }),
                     QItemSelectionModel::ClearAndSelect);
}

std::vector<int> SelectedRows(const QItemSelectionModel& selection) {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selection.selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.push_back(row);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

}  // namespace murk
