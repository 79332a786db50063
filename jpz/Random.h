#pragma once

#include <cstdint>
#include <span>

namespace jpz {

// Fills bytes from the kernel's random source; false when it fails.
bool FillRandom(std::span<uint8_t> bytes);

}  // namespace jpz
