#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>

#include "FolderChoice.h"
#include "MessageBox.h"
#include "main.h"
#include "murkin.h"

// The password box, the folder box and the folder tree.

namespace murk {

void TMainFm::TreeViewClick(const QString& FolderName) {
    FFolderChoice->TreeViewClick(FolderName);
}

void TMainFm::btnRefreshClick() {
    // The folder model follows the file system by itself; only the list is
    // made again.
    FFolderChoice->btnRefreshClick();
}

void TMainFm::btnAddClick() {
    AddFolderHistory(cbDir->currentText());
}

void TMainFm::btnDelClick() {
    const int index = cbDir->findText(cbDir->currentText(), Qt::MatchFixedString);
    if (index < 0) {
        return;
    }
    FSettings.FolderHistory.removeAt(index);
    RefillFolderBox();
    const QString next =
        FSettings.FolderHistory.isEmpty() ? QDir::homePath() : FSettings.FolderHistory.first();
    SetFolderText(next);
    SelectTreeFolder(next);
    TreeViewClick(next);
}

void TMainFm::LoadPasswordHistory() {
    const bool login = FSettings.LoginAtStart && FdlgMurkin;
    const THistoryLoad loaded =
        FHistoryFile.Load(FSettings.PasswordHistory, login ? &FdlgMurkin->Password() : nullptr,
                          login && FdlgMurkin->PasswordIsNew());
    // The key is derived; the password itself is needed no longer.
    if (FdlgMurkin) {
        FdlgMurkin->WipePassword();
    }
    if (FSettings.History) {
        SetPasswordHistoryItems(FSettings.PasswordHistory);
    }
    if (loaded == THistoryLoad::SetAside) {
        ShowMessageBox(this, QStringLiteral("Warnning"),
                       QStringLiteral("パスワード履歴 (murkw.hst) を開けませんでした。"
                                      "ログインパスワードが変わったか、ファイルが変更されています。"
                                      "ファイルは murkw.hst.unreadable として残しました"));
    } else if (loaded == THistoryLoad::Kept) {
        ShowMessageBox(this, QStringLiteral("Warnning"),
                       QStringLiteral("パスワード履歴 (murkw.hst) を開けませんでした。"
                                      "ファイルはそのまま残し、今回の履歴は保存しません"));
    }
}

void TMainFm::DeletePasswordHistory(int Index) {
    if (Index < 0 || Index >= FSettings.PasswordHistory.size()) {
        return;
    }
    FSettings.PasswordHistory.removeAt(Index);
    SetPasswordHistoryItems(FSettings.History ? FSettings.PasswordHistory : QStringList());
}

bool TMainFm::PasswordDropDownKey(QKeyEvent* event) {
    if (event->key() != Qt::Key_Delete) {
        return false;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        FSettings.PasswordHistory.clear();
        SetPasswordHistoryItems({});
    } else if (const QModelIndex highlighted = cbAngou->view()->currentIndex();
               highlighted.isValid()) {
        DeletePasswordHistory(highlighted.row());
    }
    cbAngou->setEditText({});
    return true;
}

void TMainFm::ShowPassList(QComboBox* box, const QPoint& globalPosition) {
    // The keyboard's menu key may come both as a key and as a menu request.
    if (ppPassList->isVisible()) {
        return;
    }
    FPassListBox = box;
    ppPassList->popup(globalPosition);
}

bool TMainFm::BoxMenuKey(QComboBox* box, const QKeyEvent* event) {
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (!menuKey) {
        return false;
    }
    QLineEdit* edit = box->lineEdit();
    const QPoint cursor = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    ShowPassList(box, edit->mapToGlobal(cursor));
    return true;
}

void TMainFm::PassListEdit(void (*edit)(QComboBox*)) {
    if (FPassListBox && FPassListBox->isEnabled()) {
        edit(FPassListBox);
    }
}

void TMainFm::SelectTreeFolder(const QString& folder) {
    if (!IsFolderPath(folder)) {
        return;
    }
    FTreeFolder = QDir::cleanPath(folder);
    ShowTreeFolder();
}

void TMainFm::ShowTreeFolder() {
    const QModelIndex index = FolderModel->index(FTreeFolder);
    if (!index.isValid()) {
        return;
    }
    // Opened before the scroll, which lays out only what was open already.
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) {
        TreeView->expand(parent);
    }
    TreeView->setCurrentIndex(index);
    TreeView->scrollTo(index);
}

void TMainFm::FillComboKeepingText(QComboBox* box, const QStringList& items) {
    const QString text = box->currentText();
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

void TMainFm::RefillFolderBox() {
    FillComboKeepingText(cbDir, FSettings.FolderHistory);
}

QString TMainFm::PasswordText() const {
    return cbAngou->currentText();
}

void TMainFm::SetPasswordText(const QString& text) {
    cbAngou->setEditText(text);
}

void TMainFm::SetPasswordEnabled(bool enabled) {
    cbAngou->setEnabled(enabled);
}

void TMainFm::FocusPassword() {
    cbAngou->setFocus();
}

void TMainFm::SetPasswordHistoryItems(const QStringList& items) {
    FillComboKeepingText(cbAngou, items);
}

void TMainFm::SetPasswordLabelLook(TRgb text, TRgb shadow) {
    btnPassWord->SetLook(text, shadow);
}

QString TMainFm::FolderText() const {
    return cbDir->currentText();
}

void TMainFm::SetFolderText(const QString& text) {
    // Only the user's changes of the box choose a folder.
    const QSignalBlocker blocker(cbDir);
    cbDir->setEditText(text);
}

void TMainFm::AddFolderHistory(const QString& folder) {
    if (murk::AddFolderHistory(FSettings.FolderHistory, folder)) {
        RefillFolderBox();
    }
}

}  // namespace murk
