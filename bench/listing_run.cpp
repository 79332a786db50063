// listing_run FOLDER
// Runs a listing run (the run a folder choice starts) over FOLDER, headless,
// with a view that draws nothing. Prints the rows listed and the wall time
// from the choice to the run's end.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <cstdio>

#include "BatchRun.h"
#include "FileListModel.h"
#include "FolderChoice.h"
#include "RunClock.h"
#include "RunView.h"

namespace {

using namespace murk;

class TNullView : public TRunView {
public:
    void SetPanelText(TPanel, const QString&) override {}
    void SetPanelColor(TPanel, TRgb) override {}
    void SetOperationButton(const QString&, TRgb) override {}
    void SetToggleButton(TToggleButton, const QString&, int) override {}
    QString PasswordText() const override { return {}; }
    void SetPasswordText(const QString&) override {}
    void SetPasswordEnabled(bool) override {}
    void FocusPassword() override {}
    void SetPasswordHistoryItems(const QStringList&) override {}
    void SetPasswordLabelLook(TRgb, TRgb) override {}
    void SetMenuItemVisible(TMenuItem, bool) override {}
    void SetMenuItemChecked(TMenuItem, bool) override {}
    QString FolderText() const override { return {}; }
    void SetFolderText(const QString&) override {}
    void AddFolderHistory(const QString&) override {}
    void ShowPreview() override {}
    void ForgetPreview() override {}
    void SetCancelEnabled(bool) override {}
    void SetProgress(int) override {}
    void SetAnimation(bool) override {}
    void ProcessEvents() override { QCoreApplication::processEvents(); }
    void RestartLogout() override {}
    void ShowMessage(const QString&, const QString&) override {}
    void ShowEndMessage(TEndMessagePlace, const QString&) override {}
    void ShowFailures(const std::vector<TRunFailure>&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: listing_run FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];

    TFileListModel list;
    QItemSelectionModel selection(&list);
    TAppSettings settings;
    TNullView view;
    TSteadyClock clock;
    TBatchRun run(list, selection, settings, view, clock);
    TFolderChoice folders(run, settings, view);

    QElapsedTimer timer;
    timer.start();
    folders.TreeViewClick(QFile::decodeName(QByteArray::fromStdString(folder)));
    while (run.Busy()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const qint64 elapsed = timer.elapsed();
    std::printf("listed %d files in %lld ms\n", list.rowCount(), static_cast<long long>(elapsed));
    return list.rowCount() > 0 ? 0 : 1;
}
