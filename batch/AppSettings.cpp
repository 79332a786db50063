#include "AppSettings.h"

#include <algorithm>

namespace murk {

bool AddFolderHistory(QStringList& history, const QString& folder) {
    const auto place = std::lower_bound(history.begin(), history.end(), folder,
                                        [](const QString& a, const QString& b) {
                                            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
                                        });
    if (place != history.end() && QString::compare(*place, folder, Qt::CaseInsensitive) == 0) {
        return false;
    }
    history.insert(place, folder);
    return true;
}

}  // namespace murk
