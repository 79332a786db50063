#pragma once

#include <cstdint>

namespace murk {

// Milliseconds on a clock that never goes back; only differences matter.
class TRunClock {
public:
    virtual ~TRunClock() = default;
    virtual int64_t NowMs() const = 0;
};

class TSteadyClock : public TRunClock {
public:
    int64_t NowMs() const override;
};

}  // namespace murk
