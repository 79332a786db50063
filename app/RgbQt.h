#pragma once

#include <QColor>

#include <cstdint>

#include "Rgb.h"

namespace murk {

inline QColor ToColor(TRgb rgb) {
    return QColor(rgb.Red, rgb.Green, rgb.Blue);
}

inline TRgb ToRgb(const QColor& color) {
    return {uint8_t(color.red()), uint8_t(color.green()), uint8_t(color.blue())};
}

}  // namespace murk
