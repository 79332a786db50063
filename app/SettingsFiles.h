#pragma once

#include <QString>
#include <QStringList>

namespace murk {

// The folder of every settings file: $MURKWELL_HOME when set, else
// $XDG_CONFIG_HOME/murkwell, else ~/.config/murkwell.
QString SettingsFolder();

// Creates the settings folder with mode 0700 when it is missing; false when
// it cannot be made.
bool EnsureSettingsFolder();

// The lines of a UTF-8 text file ended by LF or CR LF; empty when the file
// cannot be read.
QStringList ReadTextList(const QString& path);

enum class TFileAccess { Shared, Private };

// Replaces the file atomically with one LF-ended line per entry. A private
// file has mode 0600 before any of its content reaches the disk.
bool WriteTextList(const QString& path, const QStringList& lines, TFileAccess access);

// Creates the file with mode 0600 when it is missing, or narrows an existing
// one to 0600. Writers that keep the permissions of the file they replace
// (QSaveFile, and QSettings through it) then never expose its content.
bool MakePrivateFile(const QString& path);

}  // namespace murk
