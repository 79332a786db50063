#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include "Animation.h"
#include "FailureText.h"
#include "Logout.h"
#include "MessageBox.h"
#include "RgbQt.h"
#include "ToolbarIcons.h"
#include "endmes.h"
#include "main.h"

// The window as the view the runs report to.

namespace murk {

QLabel* TMainFm::PanelLabel(TPanel panel) const {
    switch (panel) {
        case TPanel::Total:
            return pnTotal;
        case TPanel::Processed:
            return pnProc;
        case TPanel::Time:
            return pnTime;
        case TPanel::FileName:
            return pnFileName;
        case TPanel::TotalSize:
            return pnTotalSize;
        case TPanel::ProcessedSize:
            return pnProcedTotalSize;
    }
    return pnTotal;
}

void TMainFm::SetPanelText(TPanel panel, const QString& text) {
    PanelLabel(panel)->setText(text);
}

void TMainFm::SetPanelColor(TPanel panel, TRgb color) {
    QLabel* label = PanelLabel(panel);
    QPalette colored = label->palette();
    colored.setColor(QPalette::WindowText, ToColor(color));
    label->setPalette(colored);
}

void TMainFm::SetOperationButton(const QString& caption, TRgb color) {
    btnMurkwell->setText(caption);
    QPalette colored = btnMurkwell->palette();
    colored.setColor(QPalette::ButtonText, ToColor(color));
    btnMurkwell->setPalette(colored);
}

void TMainFm::SetToggleButton(TToggleButton button, const QString& caption, int image) {
    QToolButton* target = button == TToggleButton::AllMode  ? btnAllMode
                          : button == TToggleButton::SubDir ? btnSubDir
                                                            : btnExtra;
    target->setText(caption);
    target->setIcon(ToolbarIcon(image));
}

QAction* TMainFm::MenuItemAction(TMenuItem item) const {
    switch (item) {
        case TMenuItem::MurkwellUltra:
            return ppMurkwellUltra;
        case TMenuItem::JpzEncode:
            return ppJpzEncode;
        case TMenuItem::EndMessage:
            return Option;
        case TMenuItem::MurkCheckMode:
            return ItmMurkCheckMode;
    }
    return ppMurkwellUltra;
}

void TMainFm::SetMenuItemVisible(TMenuItem item, bool visible) {
    // The Jpz commands are offered only while the option asks for them.
    if (item == TMenuItem::JpzEncode) {
        visible = visible && FSettings.UseJpz;
    }
    MenuItemAction(item)->setVisible(visible);
}

void TMainFm::SetMenuItemChecked(TMenuItem item, bool checked) {
    MenuItemAction(item)->setChecked(checked);
}

void TMainFm::SetCancelEnabled(bool enabled) {
    btnCancel->setEnabled(enabled);
}

void TMainFm::SetProgress(int percent) {
    ProgBar->setValue(percent);
}

void TMainFm::SetAnimation(bool running) {
    if (running) {
        AnimateMain->Play();
    } else {
        AnimateMain->Stop();
    }
}

void TMainFm::ProcessEvents() {
    QCoreApplication::processEvents();
}

void TMainFm::RestartLogout() {
    FLogout->RestartLogout();
}

void TMainFm::ShowMessage(const QString& caption, const QString& text) {
    if (FLoggingOut) {
        return;
    }
    ShowMessageBox(this, caption, text);
}

void TMainFm::ShowEndMessage(TEndMessagePlace place, const QString& text) {
    if (FLoggingOut || !FEndMesDlg) {
        return;
    }
    const QRect frame = frameGeometry();
    const QPoint corner =
        place == TEndMessagePlace::ListViewCentre
            ? ListView->mapToGlobal(ListView->rect().center())
            : QPoint(frame.left() + frame.width() / 2, frame.top() + frame.height() / 2);
    FEndMesDlg->ShowAt(corner, text);
}

void TMainFm::ShowFailures(const std::vector<TRunFailure>& failures) {
    if (FLoggingOut) {
        return;
    }
    ShowMessageBox(this, QStringLiteral("Warnning"), FailureListText(failures));
}

}  // namespace murk
