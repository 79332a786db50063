#include "Random.h"

#include <sys/random.h>

#include <cerrno>

namespace jpz {

bool FillRandom(std::span<uint8_t> bytes) {
    size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        filled += size_t(got);
    }
    return true;
}

}  // namespace jpz
