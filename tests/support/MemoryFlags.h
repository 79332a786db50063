#pragma once

#include <cstddef>
#include <string>

namespace murktest {

// The kernel's flags ("VmFlags" of /proc/self/smaps) of the mapping that
// holds address, such as "dd" (left out of core dumps) and "lo" (locked);
// empty when no mapping holds it.
std::string MappingFlags(const void* address);

// How many mappings of this process carry the flag, such as "dd".
size_t MappingsWithFlag(const std::string& flag);

// Whether this process may lock size more bytes (RLIMIT_MEMLOCK), and the
// lock shows.
bool MayLock(size_t size);

}  // namespace murktest
