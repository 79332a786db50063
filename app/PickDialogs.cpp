#include "PickDialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>

namespace murk {

namespace {

TColorAnswer& ColorAnswer() {
    static TColorAnswer answer;
    return answer;
}

TFontAnswer& FontAnswer() {
    static TFontAnswer answer;
    return answer;
}

TOpenFilesAnswer& OpenFilesAnswer() {
    static TOpenFilesAnswer answer;
    return answer;
}

}  // namespace

std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) {
    if (ColorAnswer()) {
        return ColorAnswer()(initial);
    }
    const QColor color = QColorDialog::getColor(initial, parent);
    return color.isValid() ? std::optional<QColor>(color) : std::nullopt;
}

std::optional<QFont> PickFont(QWidget* parent, const QFont& initial) {
    if (FontAnswer()) {
        return FontAnswer()(initial);
    }
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    return ok ? std::optional<QFont>(font) : std::nullopt;
}

void SetColorAnswer(TColorAnswer answer) {
    ColorAnswer() = std::move(answer);
}

void SetFontAnswer(TFontAnswer answer) {
    FontAnswer() = std::move(answer);
}

QStringList PickOpenFiles(QWidget* parent, const QString& folder, bool several) {
    if (OpenFilesAnswer()) {
        return OpenFilesAnswer()(folder, several);
    }
    const QString filter = QStringLiteral("Jpeg (*.jpg *.jpeg);;All Files (*)");
    if (several) {
        return QFileDialog::getOpenFileNames(parent, {}, folder, filter);
    }
    const QString file = QFileDialog::getOpenFileName(parent, {}, folder, filter);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

void SetOpenFilesAnswer(TOpenFilesAnswer answer) {
    OpenFilesAnswer() = std::move(answer);
}

}  // namespace murk
