#include "endmes.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

#include "Animation.h"

namespace murk {

TEndMesDlg::TEndMesDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("EndMesDlg"));
    setWindowTitle(QStringLiteral("  "));
    setModal(true);
    // The design size; the layout widens it when a font needs more room.
    resize(148, 59);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    Panel1->setPalette(white);
    Panel1->setAutoFillBackground(true);

    Image1 = new QLabel(Panel1);
    Image1->setPixmap(MurkwellLogo(24));
    StaticText1 = new QLabel(QStringLiteral("Process is end."), Panel1);
    QFont bold = StaticText1->font();
    bold.setBold(true);
    StaticText1->setFont(bold);

    auto* inner = new QHBoxLayout(Panel1);
    inner->setContentsMargins(6, 4, 6, 4);
    inner->addWidget(Image1);
    inner->addWidget(StaticText1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Panel1);

    for (QWidget* part : {static_cast<QWidget*>(Panel1), static_cast<QWidget*>(Image1),
                          static_cast<QWidget*>(StaticText1)}) {
        part->installEventFilter(this);
    }
}

void TEndMesDlg::SetMessage(const QString& text) {
    StaticText1->setText(text);
}

int TEndMesDlg::ShowAt(const QPoint& topLeft, const QString& text) {
    move(topLeft);
    SetMessage(text);
    return exec();
}

bool TEndMesDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        FormClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TEndMesDlg::mouseReleaseEvent(QMouseEvent*) {
    FormClick();
}

void TEndMesDlg::FormClick() {
    accept();
}

}  // namespace murk
