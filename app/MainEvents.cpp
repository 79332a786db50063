#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QToolButton>
#include <QUrl>

#include "Animation.h"
#include "FolderChoice.h"
#include "main.h"

// The window's event filter, its pop-up menu, drops and drags.

namespace murk {

bool TMainFm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // Drags over the tree stop there: the tree takes their start, so Qt does
    // not hand them on to the window, refuses every position, and drops a
    // drop that comes all the same.
    if (watched == TreeView && type == QEvent::DragEnter) {
        event->accept();
        return true;
    }
    if (watched == TreeView && type == QEvent::DragMove) {
        event->ignore();
        return true;
    }
    if (watched == TreeView && type == QEvent::Drop) {
        static_cast<QDropEvent*>(event)->setDropAction(Qt::IgnoreAction);
        event->accept();
        return true;
    }
    if ((watched == TreeView && type == QEvent::KeyPress) ||
        (watched == TreeView->viewport() &&
         (type == QEvent::MouseButtonPress || type == QEvent::Wheel))) {
        FTreeFolder.clear();
    }
    if (watched == ListView && type == QEvent::KeyPress) {
        // Not consumed: the list moves its own way too.
        ListViewKeyDown(static_cast<QKeyEvent*>(event)->key());
    } else if (watched == ListView->viewport() && type == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        ListViewClick();
    } else if (watched == cbDir->lineEdit() && type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter) {
            SelectTreeFolder(cbDir->currentText());
        }
        FFolderChoice->cbDirKeyDown(enter ? 13 : key, cbDir->currentText());
    } else if (watched == cbAngou->view() && type == QEvent::KeyPress) {
        return PasswordDropDownKey(static_cast<QKeyEvent*>(event));
    } else if (watched == pbImageArea && type == QEvent::Resize) {
        PreviewResized();
    } else if (watched == AnimateMain && type == QEvent::MouseButtonPress) {
        pnAnimate->setFrameShadow(QFrame::Sunken);
    } else if (watched == AnimateMain && type == QEvent::MouseButtonRelease) {
        pnAnimate->setFrameShadow(QFrame::Raised);
        ShowAbout();
    } else if (watched == btnPopup && type == QEvent::Enter) {
        PopUpTimer.start();
    } else if (watched == btnPopup && type == QEvent::Leave) {
        PopUpTimer.stop();
    }
    return QWidget::eventFilter(watched, event);
}

void TMainFm::contextMenuEvent(QContextMenuEvent* event) {
    ppMain->popup(event->globalPos());
}

void TMainFm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TMainFm::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TMainFm::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    if (!paths.isEmpty()) {
        event->acceptProposedAction();
        WMDropFiles(paths);
    }
}

void TMainFm::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        FDragging = true;
        FDragPosition = event->globalPosition().toPoint();
    }
}

void TMainFm::mouseMoveEvent(QMouseEvent* event) {
    if (FDragging) {
        const QPoint position = event->globalPosition().toPoint();
        move(pos() + position - FDragPosition);
        FDragPosition = position;
    }
}

void TMainFm::mouseReleaseEvent(QMouseEvent*) {
    FDragging = false;
}

}  // namespace murk
