#include "SettingsFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace murk {

QString SettingsFolder() {
    const QString home = qEnvironmentVariable("MURKWELL_HOME");
    if (!home.isEmpty()) {
        return QDir::cleanPath(home);
    }
    // The base directory rules ignore a relative XDG_CONFIG_HOME.
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.isEmpty() && QDir::isAbsolutePath(config)) {
        return QDir::cleanPath(config + QStringLiteral("/murkwell"));
    }
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.config/murkwell"));
}

bool EnsureSettingsFolder() {
    const QString folder = SettingsFolder();
    const QFileInfo info(folder);
    if (info.exists()) {
        return info.isDir();
    }
    if (!QDir().mkpath(info.absolutePath())) {
        return false;
    }
    return QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
           QFileInfo(folder).isDir();
}

QStringList TextLines(const QByteArray& content) {
    QString text = QString::fromUtf8(content);
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    // The line break of the last line does not start another line.
    if (lines.last().isEmpty()) {
        lines.removeLast();
    }
    // Every carriage return before the line break goes, so that what is
    // written back (with LF alone) reads back the same.
    for (QString& line : lines) {
        while (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    return lines;
}

QByteArray TextContent(const QStringList& lines) {
    QByteArray content;
    for (const QString& line : lines) {
        content += line.toUtf8();
        content += '\n';
    }
    return content;
}

QStringList ReadTextList(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return TextLines(file.readAll());
}

bool WriteTextList(const QString& path, const QStringList& lines) {
    return WritePrivateFile(path, TextContent(lines));
}

bool WritePrivateFile(const QString& path, const QByteArray& content) {
    if (!MakePrivateFile(path)) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    return file.write(content) == content.size() && file.commit();
}

bool MakePrivateFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool narrowed = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    return narrowed;
}

}  // namespace murk
