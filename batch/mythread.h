#pragma once

#include <QThread>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "FolderScan.h"
#include "OperationCycle.h"

namespace murk {

class TBatchRun;

// The worker of a thread run: it scans folders, sorts and sequences the
// paths and hands every file to the main thread, waiting there for each.
class mythread : public QThread {
    Q_OBJECT
public:
    // Runs on the main thread; in listing mode it switches the run to
    // checking only, without sub-folders.
    mythread(TBatchRun& run, const std::vector<std::string>& Paths, bool Listing);

    bool Listing() const { return FListing; }
    bool SavedSubDir() const { return FSavedSubDir; }
    const TOperationLook& SavedLook() const { return FSavedLook; }
    // What went wrong in the worker itself, if anything.
    const std::string& Error() const { return FError; }

protected:
    // The thread body.
    void run() override;

private:
    void Synchronize(const std::function<void()>& call);
    // Runs the per-file step of each path on the main thread, in order,
    // until the run is cancelled.
    void HandOver(std::span<const std::string> paths);
    void ReadPassword();
    void ProcessOne();
    bool Stopping() const;

    TBatchRun& FRun;
    std::vector<std::string> FPaths;
    bool FListing;
    bool FSavedSubDir = false;
    bool FRecurse = false;
    TImageFilter FFilter;
    TOperationLook FSavedLook;
    QString FPassword;
    std::string FFileName;
    QString FFilePassword;
    std::string FError;
};

}  // namespace murk
