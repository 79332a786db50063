#pragma once

#include <atomic>
#include <cstdint>

namespace murk {

// The state of the run in progress. CancelRequested and ProgressBase are
// also used by the worker thread; everything else only on the main thread.
struct TRunState {
    bool Busy = false;
    std::atomic<bool> CancelRequested = false;
    // Picture files met by the run; also the running number of its rows.
    int32_t TotalCount = 0;
    int32_t ProcessedCount = 0;
    int64_t AllBytes = 0;
    int64_t ProcessedBytes = 0;
    int64_t StartTick = 0;
    std::atomic<int32_t> ProgressBase = 0;
    bool FirstRowPending = false;
    bool ListAll = false;
    bool ForceCheck = false;
};

}  // namespace murk
