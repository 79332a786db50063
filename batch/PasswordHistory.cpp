#include "PasswordHistory.h"

namespace murk {

bool AddToPasswordHistory(QStringList& history, const QString& text) {
    if (history.contains(text, Qt::CaseInsensitive)) {
        return false;
    }
    history.prepend(text);
    return true;
}

}  // namespace murk
