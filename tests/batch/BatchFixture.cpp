#include "BatchFixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include "PanelTexts.h"

namespace batchtest {

void TFakeRunView::SetPanelText(TPanel panel, const QString& text) {
    Panels[panel] = text;
    if (panel == TPanel::FileName) {
        FileNamePanels.push_back(text);
        if (OnFileName) {
            OnFileName(text);
        }
    }
}

void TFakeRunView::SetOperationButton(const QString& caption, TRgb color) {
    OperationCaption = caption;
    OperationColor = color;
    OperationCaptions.push_back(caption);
}

void TFakeRunView::ProcessEvents() {
    QCoreApplication::processEvents();
    if (OnProcessEvents) {
        OnProcessEvents();
    }
}

TBatch::TBatch() {
    Settings.EncDisp = 0;
    Commands.btnExtraClick();
}

void TBatch::WaitIdle() {
    QElapsedTimer timer;
    timer.start();
    while (Run.Busy() && timer.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    ASSERT_FALSE(Run.Busy()) << "the run did not end";
}

bool TBatch::Idle() const {
    return !Run.Busy() && !View.CancelEnabled && !Run.ProgressTimerActive() && !View.Animating &&
           View.Progress == 0;
}

std::vector<int> TBatch::Icons() const {
    std::vector<int> icons;
    for (int row = 0; row < Rows.rowCount(); ++row) {
        icons.push_back(Rows.Row(row).Icon);
    }
    return icons;
}

std::vector<std::string> TBatch::FileNames() const {
    std::vector<std::string> names;
    for (int row = 0; row < Rows.rowCount(); ++row) {
        names.push_back(Rows.Row(row).FileName);
    }
    return names;
}

std::vector<int32_t> TBatch::Numbers() const {
    std::vector<int32_t> numbers;
    for (int row = 0; row < Rows.rowCount(); ++row) {
        numbers.push_back(Rows.Row(row).Number);
    }
    return numbers;
}

void TBatch::SelectRows(const std::vector<int>& rows) {
    Selection.clearSelection();
    for (int row : rows) {
        Selection.select(Rows.index(row, 0),
                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

void TBatch::ListFolder(const std::string& folder) {
    Folders.TreeViewClick(Q(folder));
    WaitIdle();
}

QString Q(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

TFailures FailuresOf(const TBatch& batch) {
    TFailures failures;
    for (const auto& report : batch.View.FailureReports) {
        for (const TRunFailure& failure : report) {
            failures[failure.Path.toStdString()] = failure.Reason.toStdString();
        }
    }
    return failures;
}

}  // namespace batchtest
