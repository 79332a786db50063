#include "StartFolder.h"

#include <QDir>
#include <QFileInfo>

namespace murk {

bool IsFolderPath(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString StartFolder(const QStringList& arguments, const QString& lastFolder,
                    const QString& folderBoxText) {
    QString chosen;
    if (!arguments.isEmpty()) {
        const QFileInfo argument(arguments.first());
        // A folder named on the command line is that folder, with or without
        // its trailing "/", rather than the folder it sits in.
        chosen = argument.isDir() ? argument.absoluteFilePath() : argument.absolutePath();
    } else if (IsFolderPath(lastFolder)) {
        chosen = lastFolder;
    } else {
        chosen = folderBoxText;
    }
    return IsFolderPath(chosen) ? QDir::cleanPath(chosen) : QDir::homePath();
}

}  // namespace murk
