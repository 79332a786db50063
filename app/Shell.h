#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace murk {

// The maker's addresses, shown by the about window and the help menu.
inline const QString VersionText = QStringLiteral("Version 3.00 Beta5");
inline const QUrl HomePageUrl = QUrl(QStringLiteral("https://murkwell.example.org/"));
inline const QString MailAddress = QStringLiteral("murkwell@example.org");

// Hands a web page, a mail link or a file to the desktop; false when nothing
// could open it.
bool OpenUrl(const QUrl& url);
// Starts a program without waiting for it; false when it could not start.
bool StartProgram(const QString& path);

// While set, these are called instead of the desktop, so GUI tests see what
// would have been opened or started. Empty functions reach the desktop again.
void SetOpenUrlHandler(std::function<bool(const QUrl&)> handler);
void SetStartProgramHandler(std::function<bool(const QString&)> handler);

// The folder of the running program, with symbolic links resolved.
QString ProgramFolder();
// While set, ProgramFolder() answers folder, so GUI tests can put an
// uninstaller or a manual beside a program of their own. Empty: the real one.
void SetProgramFolder(const QString& folder);
// The uninstaller that the install step puts beside the program.
QString UninstallerPath();
// Where the package manager lists the files of each package.
inline const QString PackageListsFolder = QStringLiteral("/var/lib/dpkg/info");
// What to tell a user who wants to uninstall a program in programFolder that
// has no uninstaller beside it: how to remove the package that owns the
// folder (as listed in packageLists), or that a program run from where it
// was built has nothing to uninstall. Empty when the uninstaller is there.
QString UninstallAdvice(const QString& programFolder, const QString& packageLists);
// man/index.html beside the program (a build tree), else the one installed in
// share/murkwell/man; empty when neither exists.
QString ManualPath();
// The local manual opened at one of its sections; empty when there is no
// manual.
QUrl ManualUrl(const QString& section = {});

}  // namespace murk
