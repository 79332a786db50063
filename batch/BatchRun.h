#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AppSettings.h"
#include "OperationCycle.h"
#include "RunState.h"
#include "RunView.h"

class QItemSelectionModel;

namespace murk {

class TFileListModel;
class TMemoryStream;
struct TCodecOutcome;
class TRunClock;
class mythread;

// Runs one operation over a set of files, one file at a time, on the main
// thread: over the selected rows (the list run), or over paths that a
// worker thread scans and hands back file by file (the thread run).
class TBatchRun : public QObject {
    Q_OBJECT
public:
    TBatchRun(TFileListModel& list, QItemSelectionModel& selection, TAppSettings& settings,
              TRunView& view, const TRunClock& clock);
    ~TBatchRun() override;

    bool Busy() const { return FState.Busy; }
    // Whether Timer1 refreshes the progress display, as it does while busy.
    bool ProgressTimerActive() const { return Timer1.isActive(); }
    TRunState& State() { return FState; }
    const TRunState& State() const { return FState; }

    void RunSelected();
    void StartRun(const std::vector<std::string>& Paths, bool Listing);
    // Returns 0 only when the file could not be opened; FileName follows a
    // rename. Errors of a single file are recorded, never thrown.
    int ProcessFile(std::string& FileName, const std::string& Password);
    int RunCodec(TMemoryStream& Stream, const std::string& FileName, bool Encode,
                 const std::string& Password, int32_t Mode);
    bool IsCheckMode() const;
    // Whether the run would hand the password to a codec.
    bool PasswordUsed() const;
    void AddPasswordHistory();
    void Timer1Timer();

    const TOperationLook& OperationButton() const { return FOperationButton; }
    void SetOperationButton(const TOperationLook& look);
    // Moves the operation cycle to a position: 0 shields, 1 restores, 2
    // only checks (the direction stays).
    void SetOperationPosition(int position);

    // Asks the run to stop and lets events through until it has, or until
    // abandon says to stop waiting. A list run is only asked: it stops at
    // its next row, once control is back in its loop.
    void CancelAndWait(const std::function<bool()>& abandon = {});

private:
    friend class mythread;

    void BeginRun(int32_t progressBase);
    void ProcessOne(std::string FileName, const QString& password);
    void FinishRun(mythread& thread);
    bool ProcessContent(std::string& FileName, const std::string& Password);
    int32_t ShieldMode() const;
    std::optional<std::string> FilePassword(const QString& text, const std::string& path);
    void AddListRow(int32_t Number, const std::string& path);
    void ProcessSelectedRow(const QPersistentModelIndex& row);
    void ShowTotals();
    void DisposeWorker();
    void RecordFailure(const std::string& path, const QString& reason, TFailureKind kind,
                       const QString& detail = {}, TRefusal refusal = TRefusal::None,
                       uint64_t otherNames = 0);
    // A refusal of the codec's kind, in the same words whoever refused.
    void RecordRefusal(const std::string& path, const TCodecOutcome& outcome);
    void ReportFailures(const std::vector<TRunFailure>& failures);

    TFileListModel& FList;
    QItemSelectionModel& FSelection;
    TAppSettings& FSettings;
    TRunView& FView;
    const TRunClock& FClock;

    TRunState FState;
    TOperationLook FOperationButton;
    QTimer Timer1;
    std::unique_ptr<mythread> FThread;
    std::vector<std::unique_ptr<mythread>> FRetired;
    bool FInListRun = false;
    // The size known of the file handled last; empty when it could not be read.
    std::optional<int64_t> FFileSize;
    std::vector<TRunFailure> FFailures;
    // The folder whose stale temporaries this run removed last.
    std::string FTidiedFolder;
};

}  // namespace murk
