#include "Shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace murk {

namespace {

std::function<bool(const QUrl&)>& OpenUrlHandler() {
    static std::function<bool(const QUrl&)> handler;
    return handler;
}

std::function<bool(const QString&)>& StartProgramHandler() {
    static std::function<bool(const QString&)> handler;
    return handler;
}

}  // namespace

bool OpenUrl(const QUrl& url) {
    if (OpenUrlHandler()) {
        return OpenUrlHandler()(url);
    }
    return QDesktopServices::openUrl(url);
}

bool StartProgram(const QString& path) {
    if (StartProgramHandler()) {
        return StartProgramHandler()(path);
    }
    return QProcess::startDetached(path, {});
}

void SetOpenUrlHandler(std::function<bool(const QUrl&)> handler) {
    OpenUrlHandler() = std::move(handler);
}

void SetStartProgramHandler(std::function<bool(const QString&)> handler) {
    StartProgramHandler() = std::move(handler);
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

QString UninstallerPath() {
    return ProgramFolder() + QStringLiteral("/unins000");
}

QString ManualPath() {
    // The install puts the program in lib/murkwell and the manual in
    // share/murkwell/man of the same prefix.
    const QString candidates[] = {
        ProgramFolder() + QStringLiteral("/man/index.html"),
        ProgramFolder() + QStringLiteral("/../../share/murkwell/man/index.html"),
    };
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile()) {
            return QDir::cleanPath(path);
        }
    }
    return {};
}

}  // namespace murk
