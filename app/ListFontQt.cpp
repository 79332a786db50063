#include "ListFontQt.h"

#include <cmath>

namespace murk {

namespace {

constexpr int32_t StyleBold = 1;
constexpr int32_t StyleItalic = 2;
constexpr int32_t StyleUnderline = 4;
constexpr int32_t StyleStrikeOut = 8;

// Windows gives a font's height in pixels at 96 dots per inch, negative for
// the character height without leading.
constexpr double WindowsPixelsPerPoint = 96.0 / 72.0;

}  // namespace

QFont FontFromListFont(const TListFont& listFont, const QFont& base) {
    QFont font = base;
    if (!listFont.Name.isEmpty()) {
        font.setFamily(listFont.Name);
    }
    if (listFont.Size > 0) {
        font.setPointSize(listFont.Size);
    }
    font.setBold(listFont.Style & StyleBold);
    font.setItalic(listFont.Style & StyleItalic);
    font.setUnderline(listFont.Style & StyleUnderline);
    font.setStrikeOut(listFont.Style & StyleStrikeOut);
    return font;
}

TListFont ListFontFromFont(const QFont& font, const TListFont& previous) {
    TListFont listFont = previous;
    listFont.Name = font.family();
    double points = font.pointSizeF();
    if (points <= 0 && font.pixelSize() > 0) {
        points = font.pixelSize() / WindowsPixelsPerPoint;
    }
    if (points > 0) {
        listFont.Size = int32_t(std::lround(points));
        listFont.Height = -int32_t(std::lround(points * WindowsPixelsPerPoint));
    }
    listFont.Style = (font.bold() ? StyleBold : 0) | (font.italic() ? StyleItalic : 0) |
                     (font.underline() ? StyleUnderline : 0) |
                     (font.strikeOut() ? StyleStrikeOut : 0);
    return listFont;
}

}  // namespace murk
