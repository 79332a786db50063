#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace murk {

// The folder of every settings file: $MURKWELL_HOME when set, else
// $XDG_CONFIG_HOME/murkwell, else ~/.config/murkwell.
QString SettingsFolder();

// Creates the settings folder with mode 0700 when it is missing; false when
// it cannot be made.
bool EnsureSettingsFolder();

// The lines of UTF-8 text ended by LF or CR LF.
QStringList TextLines(const QByteArray& text);
// One LF-ended UTF-8 line per entry.
QByteArray TextContent(const QStringList& lines);

// The lines of a text file; empty when the file cannot be read.
QStringList ReadTextList(const QString& path);

// Replaces the file atomically with one LF-ended line per entry, mode 0600.
bool WriteTextList(const QString& path, const QStringList& lines);

// Replaces the file atomically with content. Every settings file is the
// user's alone (passwords, folder names): it has mode 0600 before any of its
// content reaches the disk.
bool WritePrivateFile(const QString& path, const QByteArray& content);

// Creates the file with mode 0600 when it is missing, or narrows an existing
// one to 0600. Writers that keep the permissions of the file they replace
// (QSaveFile, and QSettings through it) then never expose its content.
bool MakePrivateFile(const QString& path);

}  // namespace murk
