#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "TestFiles.h"

namespace murktest {

// A second process that has path open for appending, like a download still
// going on: every interval it appends a chunk of chunkBytes bytes, chunk i
// all of value i. The constructor returns once the file is open.
class TSlowAppender {
public:
    TSlowAppender(const std::string& path, int chunks, size_t chunkBytes,
                  std::chrono::milliseconds interval);
    ~TSlowAppender();
    TSlowAppender(const TSlowAppender&) = delete;
    TSlowAppender& operator=(const TSlowAppender&) = delete;

    // Waits for the writer; whether it wrote every chunk.
    bool Finished();
    // What the file holds once every chunk is appended to start.
    TBytes Appended(TBytes start) const;

private:
    pid_t FPid = -1;
    int FChunks;
    size_t FChunkBytes;
};

// Runs check in a child process whose address space is limited to bytes,
// so that running out of memory cannot harm the test; the child's wait
// status, 0 when check answered true.
int StatusUnderAddressLimit(size_t bytes, const std::function<bool()>& check);

}  // namespace murktest
