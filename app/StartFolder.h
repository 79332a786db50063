#pragma once

#include <QString>
#include <QStringList>

namespace murk {

// Whether path names an existing folder.
bool IsFolderPath(const QString& path);

// The folder the program opens first: with a command-line argument, the
// argument itself when it is a folder, else its folder part; without one,
// "dir" when it exists, else the folder box's text when that exists. A
// choice that does not exist gives the home folder.
QString StartFolder(const QStringList& arguments, const QString& lastFolder,
                    const QString& folderBoxText);

}  // namespace murk
