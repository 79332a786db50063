#include "QtJapanese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace murk {

QTranslator* InstallQtJapanese(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

}  // namespace murk
