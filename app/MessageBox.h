#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace murk {

enum class TMessageButtons { Ok, OkCancel };

struct TShownMessage {
    QString Caption;
    QString Text;
    TMessageButtons Buttons = TMessageButtons::Ok;
};

// Every message box of the windows goes through here. Answers true when the
// user chose OK.
bool ShowMessageBox(QWidget* parent, const QString& caption, const QString& text,
                    TMessageButtons buttons = TMessageButtons::Ok);

// While set, boxes are handed to answer instead of being shown, so GUI tests
// can answer them and read what was asked. An empty function shows them again.
using TMessageAnswer = std::function<bool(const TShownMessage&)>;
void SetMessageAnswer(TMessageAnswer answer);

}  // namespace murk
