#pragma once

#include <string>

#include "ImageFile.h"
#include "murkcheck.h"

namespace murk::cli {

// A name that a run takes for a picture: ".jpg" or ".jpeg" in any case.
inline bool IsPictureName(const std::string& path) {
    return IsImageExtension(LowerExtension(path), false, {});
}

inline bool IsShielded(TMurkState state) {
    return state == msNormal || state == msExtra || state == msUltra || state == msJpz;
}

// Normal alone restores without a password.
inline bool NeedsPassword(TMurkState state) {
    return state == msExtra || state == msUltra || state == msJpz;
}

}  // namespace murk::cli
