#pragma once

#include <QColor>
#include <QFont>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace murk {

// The colour and font dialogs; nothing when the user cancels.
std::optional<QColor> PickColor(QWidget* parent, const QColor& initial);
std::optional<QFont> PickFont(QWidget* parent, const QFont& initial);

// While set, the dialogs are not shown and these give the user's choice, so
// GUI tests can answer them. Empty functions show the dialogs again.
using TColorAnswer = std::function<std::optional<QColor>(const QColor& initial)>;
using TFontAnswer = std::function<std::optional<QFont>(const QFont& initial)>;
void SetColorAnswer(TColorAnswer answer);
void SetFontAnswer(TFontAnswer answer);

// The Open command's file dialog over JPEG files, starting in folder; one
// file or several. Empty when the user cancels.
QStringList PickOpenFiles(QWidget* parent, const QString& folder, bool several);
using TOpenFilesAnswer = std::function<QStringList(const QString& folder, bool several)>;
void SetOpenFilesAnswer(TOpenFilesAnswer answer);

}  // namespace murk
