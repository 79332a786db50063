#pragma once

#include <QItemSelectionModel>
#include <vector>

namespace murk {

class TFileListModel;

// Selects exactly the rows with that state icon.
void SelectByState(QItemSelectionModel& selection, const TFileListModel& list, int Icon);
void SelectAllRows(QItemSelectionModel& selection, const TFileListModel& list);
void ReverseSelection(QItemSelectionModel& selection, const TFileListModel& list);
// The rows with any selected cell, from the top of the list.
std::vector<int> SelectedRows(const QItemSelectionModel& selection);

}  // namespace murk
