#pragma once

#include <QDialog>

class QFrame;
class QLabel;

namespace murk {

// The note a run shows when it ends. A click anywhere on it closes it.
class TEndMesDlg : public QDialog {
    Q_OBJECT
public:
    explicit TEndMesDlg(QWidget* parent = nullptr);

    void SetMessage(const QString& text);
    // Puts the window's top-left corner at topLeft (screen coordinates),
    // sets its text and shows it modally.
    int ShowAt(const QPoint& topLeft, const QString& text);

    QFrame* Panel1;
    QLabel* Image1;
    QLabel* StaticText1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FormClick();
};

}  // namespace murk
