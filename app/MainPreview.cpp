#include <QCoreApplication>
#include <QFile>
#include <QUrl>

#include "FileSelection.h"
#include "Shell.h"
#include "StateIcons.h"
#include "main.h"

// The preview pane and the moves through the list that choose its picture.

namespace murk {

QString TMainFm::RowPath(int row) const {
    return QFile::decodeName(QByteArray::fromStdString(FList.RowPath(row)));
}

void TMainFm::ShowPreview() {
    const std::vector<int> rows = SelectedRows(FSelection);
    if (rows.empty()) {
        return;
    }
    const int row = rows.front();
    const QString path = RowPath(row);
    const int icon = FList.Row(row).Icon;
    if (icon == kJpegIcon || icon == StateIcon(msJpgPlus)) {
        if (path == FPreviewPath) {
            return;
        }
        FPreviewPath = path;
        FPreview = DecodePreview(path, pbImageArea->size());
        pbImageArea->SetPicture(FPreview.Image, FPreview.FullSize);
    } else if (!FPreview.Image.isNull()) {
        FPreview = {};
        FPreviewPath = path;
        pbImageArea->SetPicture({}, {});
    }
}

void TMainFm::ForgetPreview() {
    FPreviewPath.clear();
}

void TMainFm::PreviewResized() {
    // Kept at reduced size, the picture is decoded again once the pane
    // outgrows it.
    if (PreviewTooSmall(FPreview, pbImageArea->size())) {
        FPreview = DecodePreview(FPreviewPath, pbImageArea->size());
        pbImageArea->SetPicture(FPreview.Image, FPreview.FullSize);
    }
}

void TMainFm::pbImageAreaClick() {
    const std::vector<int> rows = SelectedRows(FSelection);
    if (!rows.empty()) {
        OpenUrl(QUrl::fromLocalFile(RowPath(rows.front())));
    }
}

void TMainFm::ListViewClick() {
    if (FList.rowCount() > 0) {
        ShowPreview();
    }
}

void TMainFm::btnNextClick() {
    if (FList.rowCount() == 0) {
        return;
    }
    const std::vector<int> rows = SelectedRows(FSelection);
    if (rows.size() == 1) {
        const int row = rows.front();
        if (row + 1 < FList.rowCount()) {
            const QModelIndex next = FList.index(row + 1, 0);
            FSelection.setCurrentIndex(next,
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
            ListView->scrollTo(next);
            FSelection.select(FList.index(row, 0),
                              QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        }
        QCoreApplication::processEvents();
    } else {
        FSelection.select(FList.index(0, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    ShowPreview();
}

void TMainFm::btnBackClick() {
    const std::vector<int> rows = SelectedRows(FSelection);
    if (rows.size() != 1) {
        ListViewClick();
        return;
    }
    if (FList.rowCount() == 0) {
        return;
    }
    const int row = rows.front();
    if (row > 0) {
        const QModelIndex previous = FList.index(row - 1, 0);
        ListView->scrollTo(previous);
        FSelection.setCurrentIndex(previous,
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
        FSelection.select(FList.index(row, 0),
                          QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    QCoreApplication::processEvents();
    ShowPreview();
}

void TMainFm::ListViewKeyDown(int key) {
    switch (key) {
        case Qt::Key_Space:
        case Qt::Key_N:
        case Qt::Key_Right:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            btnNextClick();
            break;
        case Qt::Key_Backspace:
        case Qt::Key_B:
        case Qt::Key_Left:
            btnBackClick();
            break;
        default:
            break;
    }
}

}  // namespace murk
