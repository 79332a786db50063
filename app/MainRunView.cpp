#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include "Animation.h"
#include "Logout.h"
#include "MessageBox.h"
#include "RgbQt.h"
#include "ToolbarIcons.h"
#include "endmes.h"
#include "main.h"

// The window as the view the runs report to.

namespace murk {

namespace {

// The failure box lists this many files and counts the rest.
constexpr size_t ShownFailures = 20;

}  // namespace

void TMainFm::SetPanelText(TPanel panel, const QString& text) {
    switch (panel) {
        case TPanel::Total:
            pnTotal->setText(text);
            break;
        case TPanel::Processed:
            pnProc->setText(text);
            break;
        case TPanel::Time:
            pnTime->setText(text);
            break;
        case TPanel::FileName:
            pnFileName->setText(text);
            break;
        case TPanel::TotalSize:
            pnTotalSize->setText(text);
            break;
        case TPanel::ProcessedSize:
            pnProcedTotalSize->setText(text);
            break;
    }
}

void TMainFm::SetPanelColor(TPanel panel, TRgb color) {
    QLabel* const labels[] = {pnTotal, pnProc, pnTime, pnFileName, pnTotalSize, pnProcedTotalSize};
    QLabel* label = labels[size_t(panel)];
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

void TMainFm::SetMenuItemVisible(TMenuItem item, bool visible) {
    switch (item) {
        case TMenuItem::MurkwellUltra:
            ppMurkwellUltra->setVisible(visible);
            break;
        case TMenuItem::JpzEncode:
            // The Jpz commands are offered only while the option asks for them.
            ppJpzEncode->setVisible(visible && FSettings.UseJpz);
            break;
        case TMenuItem::EndMessage:
            Option->setVisible(visible);
            break;
        case TMenuItem::MurkCheckMode:
            ItmMurkCheckMode->setVisible(visible);
            break;
    }
}

void TMainFm::SetMenuItemChecked(TMenuItem item, bool checked) {
    switch (item) {
        case TMenuItem::MurkwellUltra:
            ppMurkwellUltra->setChecked(checked);
            break;
        case TMenuItem::JpzEncode:
            ppJpzEncode->setChecked(checked);
            break;
        case TMenuItem::EndMessage:
            Option->setChecked(checked);
            break;
        case TMenuItem::MurkCheckMode:
            ItmMurkCheckMode->setChecked(checked);
            break;
    }
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
    ShowMessageBox(this, caption, text);
}

void TMainFm::ShowEndMessage(TEndMessagePlace place, const QString& text) {
    if (!FEndMesDlg) {
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
    QStringList lines;
    for (size_t i = 0; i < failures.size() && i < ShownFailures; ++i) {
        const TRunFailure& failure = failures[i];
        lines << (failure.Path.isEmpty() ? failure.Reason
                                         : failure.Path + QStringLiteral(": ") + failure.Reason);
    }
    if (failures.size() > ShownFailures) {
        lines << QStringLiteral("ほか %1 件").arg(failures.size() - ShownFailures);
    }
    ShowMessageBox(
        this, QStringLiteral("Warnning"),
        QStringLiteral("処理できなかったファイルがあります。\n\n") + lines.join(QLatin1Char('\n')));
}

}  // namespace murk
