#include "MemoryFlags.h"

#include <sys/resource.h>

#include <cinttypes>
#include <cstdio>
#include <fstream>

namespace murktest {

std::string MappingFlags(const void* address) {
    const auto at = reinterpret_cast<uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        uintptr_t start = 0;
        uintptr_t end = 0;
        if (std::sscanf(line.c_str(), "%" SCNxPTR "-%" SCNxPTR " ", &start, &end) == 2 &&
            line.find(':') > line.find(' ')) {
            inside = at >= start && at < end;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return line.substr(8) + " ";
        }
    }
    return {};
}

size_t MappingsWithFlag(const std::string& flag) {
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    size_t count = 0;
    while (std::getline(smaps, line)) {
        if (line.rfind("VmFlags:", 0) == 0 &&
            (line + " ").find(" " + flag + " ") != std::string::npos) {
            ++count;
        }
    }
    return count;
}

bool MayLock(size_t size) {
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer turns mlock into a call that succeeds and locks nothing.
    (void)size;
    return false;
#else
    rlimit limit{};
    return ::getrlimit(RLIMIT_MEMLOCK, &limit) == 0 &&
           (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= size + (1u << 20));
#endif
}

}  // namespace murktest
