#pragma once

#include <cstdint>

namespace murk {

struct TRgb {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    friend bool operator==(const TRgb&, const TRgb&) = default;
};

inline constexpr TRgb kBlack{0, 0, 0};
inline constexpr TRgb kWhite{255, 255, 255};
inline constexpr TRgb kYellow{255, 255, 0};
inline constexpr TRgb kRed{255, 0, 0};
inline constexpr TRgb kGrey{128, 128, 128};

}  // namespace murk
