#pragma once

#include <QFont>

#include "AppSettings.h"

namespace murk {

// The list font of the settings on top of base, the list's own font: the
// family when one is named, the point size and the style bits.
QFont FontFromListFont(const TListFont& listFont, const QFont& base);

// A font the user chose, in the settings' form. Colour, character set and
// pitch have no counterpart in QFont and are taken from previous.
TListFont ListFontFromFont(const QFont& font, const TListFont& previous);

}  // namespace murk
