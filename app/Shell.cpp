#include "Shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
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

QString& ProgramFolderOverride() {
    static QString folder;
    return folder;
}

QString ProgramFolder() {
    if (!ProgramFolderOverride().isEmpty()) {
        return ProgramFolderOverride();
    }
    return QCoreApplication::applicationDirPath();
}

void SetProgramFolder(const QString& folder) {
    ProgramFolderOverride() = folder;
}

QString UninstallerPath() {
    return ProgramFolder() + QStringLiteral("/unins000");
}

namespace {

// The package whose file list names folder; empty when none does.
QString OwningPackage(const QString& folder, const QString& packageLists) {
    const QByteArray wanted = QFile::encodeName(QDir::cleanPath(folder));
    const QFileInfoList lists =
        QDir(packageLists).entryInfoList({QStringLiteral("*.list")}, QDir::Files);
    for (const QFileInfo& list : lists) {
        QFile file(list.filePath());
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        while (!file.atEnd()) {
            if (file.readLine().trimmed() == wanted) {
                // "name:arch.list" on systems with several architectures.
                return list.completeBaseName().section(QLatin1Char(':'), 0, 0);
            }
        }
    }
    return {};
}

}  // namespace

QString UninstallAdvice(const QString& programFolder, const QString& packageLists) {
    if (QFileInfo(programFolder + QStringLiteral("/unins000")).isExecutable()) {
        return {};
    }
    if (const QString package = OwningPackage(programFolder, packageLists); !package.isEmpty()) {
        return QStringLiteral(
                   "Murkwell はパッケージ「%1」としてインストールされています。\n"
                   "アンインストールするには、端末で次のコマンドを実行してください。\n\n"
                   "sudo apt remove %1")
            .arg(package);
    }
    return QStringLiteral(
               "Murkwell はインストールされていません (%1 から実行されています)。\n"
               "アンインストールするものはありません。不要になったら、このフォルダを削除してくださ"
               "い。")
        .arg(QDir::toNativeSeparators(programFolder));
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

QUrl ManualUrl(const QString& section) {
    const QString manual = ManualPath();
    if (manual.isEmpty()) {
        return {};
    }
    QUrl url = QUrl::fromLocalFile(manual);
    if (!section.isEmpty()) {
        url.setFragment(section);
    }
    return url;
}

}  // namespace murk
