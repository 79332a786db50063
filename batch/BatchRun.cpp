#include "BatchRun.h"

#include <QCoreApplication>
#include <QFile>
#include <QItemSelectionModel>
#include <exception>
#include <new>
#include <utility>

#include "CodecChoice.h"
#include "Cp932.h"
#include "FileListModel.h"
#include "FileRename.h"
#include "FileSelection.h"
#include "FileSystem.h"
#include "ImageFile.h"
#include "MemoryStream.h"
#include "PanelTexts.h"
#include "PasswordHistory.h"
#include "RunClock.h"
#include "RunMessages.h"
#include "ThumbnailCache.h"
#include "murkcheck.h"
#include "mythread.h"

namespace murk {

namespace {

QString ErrorReason(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

QString DecodePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// Every refusal is reported, a wrong password as much as a full disk: the
// user asked for the file to be done and learns why it was not. A restore
// of a file that is not shielded leaves it as wanted and says nothing.
bool IsReportedRefusal(TRefusal reason) {
    return reason != TRefusal::None && reason != TRefusal::NotShielded;
}

// A shield of a picture that is shielded already (by an earlier run, or by
// another run meanwhile) leaves it as wanted too.
bool AlreadyShielded(bool encode, TRefusal reason, const TMemoryStream& stream) {
    if (!encode || reason != TRefusal::NotJpeg) {
        return false;
    }
    const TMurkState state = TMurkCheck().CheckStream(stream);
    return state == msNormal || state == msExtra || state == msUltra || state == msJpz;
}

QString RefusalReason(const TCodecOutcome& outcome) {
    // The system's message already names the file and the cause.
    if (outcome.Reason == TRefusal::CannotWrite && !outcome.ErrorText.empty()) {
        return QString::fromUtf8(outcome.ErrorText);
    }
    return QStringLiteral("Not processed: ") + QString::fromUtf8(RefusalMessage(outcome)) +
           QLatin1Char('.');
}

// A refusal found outside the codec, told as the codec tells its own.
TCodecOutcome RefusedFor(TRefusal reason) {
    TCodecOutcome outcome;
    outcome.Reason = reason;
    return outcome;
}

// Classifies the file as it is on disk; the size is empty when the file
// cannot be read, rather than the size of some earlier file.
std::optional<int64_t> CheckOnDisk(const std::string& path) {
    TMurkCheck check;
    check.SetSize(-1);
    check.CheckFile(path);
    return check.Size() < 0 ? std::nullopt : std::optional<int64_t>(check.Size());
}

}  // namespace

TBatchRun::TBatchRun(TFileListModel& list, QItemSelectionModel& selection, TAppSettings& settings,
                     TRunView& view, const TRunClock& clock)
    : FList(list),
      FSelection(selection),
      FSettings(settings),
      FView(view),
      FClock(clock),
      FOperationButton(OperationLook(settings.MurkMode)) {
    connect(&Timer1, &QTimer::timeout, this, &TBatchRun::Timer1Timer);
}

TBatchRun::~TBatchRun() {
    CancelAndWait();
    DisposeWorker();
    for (const auto& thread : FRetired) {
        thread->wait();
    }
}

bool TBatchRun::IsCheckMode() const {
    return FState.ForceCheck ||
           (FSettings.MurkCheckMode && FOperationButton.Caption == kMurkCheckCaption);
}

bool TBatchRun::PasswordUsed() const {
    return !IsCheckMode() && (!FSettings.Shield || FSettings.PasswordMode);
}

void TBatchRun::SetOperationButton(const TOperationLook& look) {
    FOperationButton = look;
    FView.SetOperationButton(look.Caption, look.Color);
}

void TBatchRun::SetOperationPosition(int position) {
    FSettings.MurkMode = position;
    if (position == 0 || position == 1) {
        FSettings.Shield = position == 0;
    }
    SetOperationButton(OperationLook(position));
}

void TBatchRun::CancelAndWait(const std::function<bool()>& abandon) {
    if (!FState.Busy) {
        return;
    }
    FState.CancelRequested = true;
    if (FInListRun) {
        return;
    }
    for (;;) {
        // Called from a posted event, the wait below would not see posted
        // events already queued (the worker's next call among them).
        QCoreApplication::sendPostedEvents();
        if (!FState.Busy || (abandon && abandon())) {
            break;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// The start both kinds of run share: busy, counters at zero, the clock, and
// the progress display's first tick at once.
void TBatchRun::BeginRun(int32_t progressBase) {
    FState.Busy = true;
    FTidiedFolder.clear();
    FView.SetCancelEnabled(true);
    FState.TotalCount = 0;
    FState.AllBytes = 0;
    FState.ProcessedCount = 0;
    FState.ProcessedBytes = 0;
    FState.StartTick = FClock.NowMs();
    FState.CancelRequested = false;
    FState.ProgressBase = progressBase;
    FFailures.clear();
    Timer1.start(1);
    FView.SetProgress(0);
    FView.SetAnimation(true);
}

void TBatchRun::RunSelected() {
    std::vector<QPersistentModelIndex> rows;
    for (int row : SelectedRows(FSelection)) {
        rows.emplace_back(FList.index(row, 0));
    }
    BeginRun(int32_t(rows.size()));
    FInListRun = true;
    FView.SetPanelText(TPanel::Time, TimePanelText(FClock.NowMs() - FState.StartTick));
    FView.SetPanelText(TPanel::TotalSize, QStringLiteral("0 MB"));
    FView.SetPanelText(TPanel::ProcessedSize, QStringLiteral("0 MB"));

    for (const QPersistentModelIndex& row : rows) {
        if (FState.CancelRequested) {
            break;
        }
        ProcessSelectedRow(row);
        FView.ProcessEvents();
    }

    FInListRun = false;
    FState.Busy = false;
    FView.RestartLogout();
    FState.CancelRequested = false;
    Timer1.stop();
    ShowTotals();
    for (TPanel panel : {TPanel::Time, TPanel::Total, TPanel::Processed, TPanel::FileName}) {
        FView.SetPanelColor(panel, kBlack);
    }
    FView.SetAnimation(false);
    FView.SetCancelEnabled(false);
    FView.SetProgress(0);
    FView.AddFolderHistory(FView.FolderText());
    // Taken before anything modal is shown, inside which another run may start.
    const std::vector<TRunFailure> failures = std::exchange(FFailures, {});
    if (!FSettings.MurkCheckMode && FSettings.EndMessage) {
        FView.ShowEndMessage(TEndMessagePlace::ListViewCentre,
                             QString::fromLatin1(IsCheckMode() ? kCheckEndText : kProcessEndText));
    }
    ReportFailures(failures);
}

void TBatchRun::ProcessSelectedRow(const QPersistentModelIndex& row) {
    // A row that went away while the run let events through is skipped.
    if (!row.isValid()) {
        return;
    }
    std::string path = FList.RowPath(row.row());
    try {
        const auto password = FilePassword(FView.PasswordText(), path);
        if (!password) {
            return;
        }
        const bool picture = IsImageFile(LowerExtension(path), FSettings.ImageFilter());
        const int result = ProcessFile(path, *password);
        // A name that is no longer taken for a picture was not looked at.
        if (!picture) {
            return;
        }
        if (result != 1) {
            FList.UpdateRow(row.row(), BaseName(path), std::nullopt, kOtherIcon);
        } else {
            FList.UpdateRow(row.row(), BaseName(path), FFileSize, StateIcon(LastState));
        }
    } catch (const std::exception& error) {
        RecordFailure(path, ErrorReason(error), TFailureKind::Error, ErrorReason(error));
    }
}

void TBatchRun::StartRun(const std::vector<std::string>& Paths, bool Listing) {
    BeginRun(1000000);
    FState.FirstRowPending = true;
    FView.SetPanelText(TPanel::TotalSize, QStringLiteral("0MB"));
    FView.SetPanelText(TPanel::ProcessedSize, QStringLiteral("0MB"));

    FList.Clear();
    DisposeWorker();
    FThread = std::make_unique<mythread>(*this, Paths, Listing);
    FThread->start();
}

void TBatchRun::DisposeWorker() {
    std::erase_if(FRetired, [](const auto& thread) { return thread->isFinished(); });
    if (!FThread) {
        return;
    }
    FThread->requestInterruption();
    // One still leaving its last synchronised call, which may be waiting
    // below this one on the stack, is freed once it has ended.
    if (FThread->isFinished()) {
        FThread.reset();
    } else {
        FRetired.push_back(std::move(FThread));
    }
}

void TBatchRun::ProcessOne(std::string FileName, const QString& password) {
    try {
        if (const auto bytes = FilePassword(password, FileName)) {
            ProcessFile(FileName, *bytes);
        }
    } catch (const std::exception& error) {
        RecordFailure(FileName, ErrorReason(error), TFailureKind::Error, ErrorReason(error));
    }
}

void TBatchRun::FinishRun(mythread& thread) {
    if (thread.Listing()) {
        FSettings.SubDirMode = thread.SavedSubDir();
        FState.ForceCheck = false;
        SetOperationButton(thread.SavedLook());
    }
    if (!thread.Error().empty()) {
        RecordFailure({},
                      QStringLiteral("The run stopped early: ") + QString::fromUtf8(thread.Error()),
                      TFailureKind::RunStopped, QString::fromUtf8(thread.Error()));
    }
    FState.Busy = false;
    FView.RestartLogout();
    Timer1.stop();
    ShowTotals();
    FView.SetAnimation(false);
    FState.ListAll = false;
    FView.SetCancelEnabled(false);
    FView.SetProgress(0);
    const std::vector<TRunFailure> failures = std::exchange(FFailures, {});
    if (!thread.Listing() && FSettings.EndMessage) {
        FView.ShowEndMessage(TEndMessagePlace::WindowCentre,
                             QString::fromLatin1(IsCheckMode() ? kCheckEndText : kProcessEndText));
    }
    ReportFailures(failures);
}

int TBatchRun::ProcessFile(std::string& FileName, const std::string& Password) {
    if (IsImageFile(LowerExtension(FileName), FSettings.ImageFilter())) {
        ++FState.TotalCount;
        if (IsCheckMode()) {
            FFileSize = CheckOnDisk(FileName);
            FState.AllBytes += FFileSize.value_or(0);
        } else if (!ProcessContent(FileName, Password)) {
            return 0;
        }
        if ((FSettings.ResList && IsCheckMode()) || FState.ListAll) {
            AddListRow(FState.TotalCount, FileName);
        }
    }
    FView.SetPanelText(TPanel::FileName, FileNamePanelText(FileName));
    return 1;
}

bool TBatchRun::ProcessContent(std::string& FileName, const std::string& Password) {
    // A save killed half way can leave a hidden temporary behind.
    if (const std::string folder = DirName(FileName); folder != FTidiedFolder) {
        RemoveStaleTemporaries(folder);
        FTidiedFolder = folder;
    }
    try {
        TMemoryStream stream;
        try {
            stream.LoadFromFile(FileName);
        } catch (const FileOpenError& error) {
            RecordFailure(FileName, ErrorReason(error), TFailureKind::CannotOpen,
                          ErrorReason(error));
            return false;
        } catch (const FileTooLargeError& error) {
            RecordFailure(FileName, ErrorReason(error), TFailureKind::TooLarge);
            FFileSize = CheckOnDisk(FileName);
            FState.AllBytes += FFileSize.value_or(0);
            return true;
        }
        if (RunCodec(stream, FileName, FSettings.Shield, Password, ShieldMode()) == 1) {
            ++FState.ProcessedCount;
            FState.ProcessedBytes += LastSize;
            if (FSettings.History) {
                AddPasswordHistory();
            }
            if (FSettings.RenameExt) {
                const std::string extension =
                    FSettings.Shield ? (QLatin1Char('.') + FSettings.NewExt).toStdString() : ".jpg";
                const std::string renamed = ChangeFileExt(FileName, extension);
                if (RenameNoReplace(FileName, renamed)) {
                    FileName = renamed;
                    ForgetThumbnails(renamed);
                }
            }
        }
        FFileSize = LastSize;
        FState.AllBytes += LastSize;
    } catch (const std::bad_alloc&) {
        RecordRefusal(FileName, RefusedFor(TRefusal::TooLarge));
        FFileSize = CheckOnDisk(FileName);
        FState.AllBytes += FFileSize.value_or(0);
    } catch (const std::exception& error) {
        // The save never overwrites part of a file, so what is on disk now
        // is what the row shows.
        RecordFailure(FileName, ErrorReason(error), TFailureKind::Error, ErrorReason(error));
        FFileSize = CheckOnDisk(FileName);
        FState.AllBytes += FFileSize.value_or(0);
    }
    return true;
}

int32_t TBatchRun::ShieldMode() const {
    if (!FSettings.Shield) {
        return 1;
    }
    if (FSettings.PasswordMode) {
        return FSettings.UltraEnabled ? FSettings.UltraModeNo : FSettings.ExtraModeNo;
    }
    return FSettings.NormalModeNo;
}

std::optional<std::string> TBatchRun::FilePassword(const QString& text, const std::string& path) {
    TCp932Result converted = ToCp932(text.toStdString());
    if (converted.Ok) {
        return std::move(converted.Bytes);
    }
    if (!PasswordUsed()) {
        return std::string();
    }
    if (converted.ConverterMissing) {
        RecordRefusal(path, RefusedFor(TRefusal::NoCp932Converter));
    } else {
        RecordFailure(path, UnencodablePasswordReason(), TFailureKind::PasswordNotCp932);
    }
    return std::nullopt;
}

int TBatchRun::RunCodec(TMemoryStream& Stream, const std::string& FileName, bool Encode,
                        const std::string& Password, int32_t Mode) {
    const TCodecOutcome outcome =
        DispatchCodec(Stream, FileName, Encode, Password, Mode, FSettings.ShieldSelection());
    if (outcome.Result != 1 && IsReportedRefusal(outcome.Reason) &&
        !AlreadyShielded(Encode, outcome.Reason, Stream)) {
        RecordRefusal(FileName, outcome);
    }
    if (outcome.Result == 1 && !outcome.NotKept.empty()) {
        QStringList notKept;
        for (const std::string& part : outcome.NotKept) {
            notKept << QString::fromUtf8(part);
        }
        const QString lost = notKept.join(QStringLiteral("; "));
        RecordFailure(
            FileName,
            QStringLiteral("Done, but the new file could not be given ") + lost + QLatin1Char('.'),
            TFailureKind::NotKept, lost);
    }
    return outcome.Result;
}

void TBatchRun::AddListRow(int32_t Number, const std::string& path) {
    FList.AddRow(Number, path, FFileSize, StateIcon(LastState));
    if (FState.FirstRowPending) {
        FSelection.setCurrentIndex(FList.index(0, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        FState.FirstRowPending = false;
        FView.ShowPreview();
    }
}

void TBatchRun::AddPasswordHistory() {
    if (AddToPasswordHistory(FSettings.PasswordHistory, FView.PasswordText())) {
        FView.SetPasswordHistoryItems(FSettings.History ? FSettings.PasswordHistory
                                                        : QStringList());
    }
}

void TBatchRun::ShowTotals() {
    FView.SetPanelText(TPanel::Total, TotalPanelText(FState.TotalCount));
    FView.SetPanelText(TPanel::Processed, ProcessedPanelText(FState.ProcessedCount));
    FView.SetPanelText(TPanel::ProcessedSize, MegabytePanelText(FState.ProcessedBytes));
    FView.SetPanelText(TPanel::TotalSize, MegabytePanelText(FState.AllBytes));
}

void TBatchRun::Timer1Timer() {
    // The first tick comes at once, the later ones every half second.
    if (Timer1.interval() == 1) {
        Timer1.setInterval(500);
    }
    FView.SetPanelText(TPanel::Time, TimePanelText(FClock.NowMs() - FState.StartTick));
    ShowTotals();
    FView.SetProgress(ProgressPercent(FState.TotalCount, FState.ProgressBase));
}

void TBatchRun::RecordFailure(const std::string& path, const QString& reason, TFailureKind kind,
                              const QString& detail, TRefusal refusal, uint64_t otherNames) {
    FFailures.push_back({DecodePath(path), reason, kind, refusal, otherNames, detail});
}

void TBatchRun::RecordRefusal(const std::string& path, const TCodecOutcome& outcome) {
    RecordFailure(path, RefusalReason(outcome), TFailureKind::Refused,
                  QString::fromUtf8(outcome.ErrorText), outcome.Reason, outcome.OtherNames);
}

void TBatchRun::ReportFailures(const std::vector<TRunFailure>& failures) {
    if (!failures.empty()) {
        FView.ShowFailures(failures);
    }
}

}  // namespace murk
