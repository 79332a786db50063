#pragma once

#include <QString>
#include <QStringList>

namespace murk {

// Puts text at the top of the history unless it is there already, in any
// case; an empty text counts like any other. Returns whether it was added.
bool AddToPasswordHistory(QStringList& history, const QString& text);

}  // namespace murk
