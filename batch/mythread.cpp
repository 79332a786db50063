#include "mythread.h"

#include <chrono>
#include <exception>

#include "BatchRun.h"

namespace murk {

namespace {

constexpr std::chrono::milliseconds kSlice{20};

}  // namespace

mythread::mythread(TBatchRun& run, const std::vector<std::string>& Paths, bool Listing)
    : FRun(run), FPaths(Paths), FListing(Listing), FFilter(run.FSettings.ImageFilter()) {
    TAppSettings& settings = run.FSettings;
    if (FListing) {
        FSavedSubDir = settings.SubDirMode;
        run.FState.ForceCheck = true;
        settings.SubDirMode = false;
        FSavedLook = run.OperationButton();
        run.SetOperationButton(CheckingLook());
    }
    // The main thread leaves SubDirMode alone while the run is busy.
    FRecurse = settings.SubDirMode;
}

void mythread::Synchronize(const std::function<void()>& call) {
    QMetaObject::invokeMethod(&FRun, call, Qt::BlockingQueuedConnection);
}

bool mythread::Stopping() const {
    return FRun.FState.CancelRequested || isInterruptionRequested();
}

void mythread::ReadPassword() {
    FPassword = FRun.FView.PasswordText();
}

void mythread::ProcessOne() {
    FRun.ProcessOne(FFileName, FFilePassword);
}

void mythread::HandOver(std::span<const std::string> paths) {
    size_t done = 0;
    while (done < paths.size() && !Stopping()) {
        // A round trip per file would cost more than the file itself, so
        // one call takes files until a short slice of time is used up; the
        // window's events get through between calls.
        Synchronize([&] {
            const auto end = std::chrono::steady_clock::now() + kSlice;
            do {
                ReadPassword();
                FFileName = paths[done++];
                FFilePassword = FPassword;
                ProcessOne();
            } while (done < paths.size() && !Stopping() && std::chrono::steady_clock::now() < end);
        });
    }
}

void mythread::run() {
    try {
        std::vector<std::string> buffer;
        SortPaths(FPaths);
        for (const std::string& entry : FPaths) {
            if (IsFolder(entry)) {
                ScanFolder(entry, buffer, FRecurse, FFilter);
                FRun.FState.ProgressBase = int32_t(buffer.size());
                SortPaths(buffer);
                HandOver(buffer);
                buffer.clear();
            } else {
                HandOver({&entry, 1});
            }
            if (Stopping()) {
                break;
            }
        }
    } catch (const std::exception& error) {
        FError = error.what();
    }
    Synchronize([this] { FRun.FinishRun(*this); });
}

}  // namespace murk
