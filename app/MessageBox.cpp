#include "MessageBox.h"

#include <QMessageBox>

namespace murk {

namespace {

TMessageAnswer& Answer() {
    static TMessageAnswer answer;
    return answer;
}

}  // namespace

bool ShowMessageBox(QWidget* parent, const QString& caption, const QString& text,
                    TMessageButtons buttons) {
    if (Answer()) {
        return Answer()({caption, text, buttons});
    }
    const QMessageBox::StandardButtons shown =
        buttons == TMessageButtons::Ok ? QMessageBox::Ok : QMessageBox::Ok | QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Warning, caption, text, shown, parent);
    return box.exec() == QMessageBox::Ok;
}

void SetMessageAnswer(TMessageAnswer answer) {
    Answer() = std::move(answer);
}

}  // namespace murk
