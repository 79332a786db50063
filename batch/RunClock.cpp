#include "RunClock.h"

#include <chrono>

namespace murk {

int64_t TSteadyClock::NowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace murk
