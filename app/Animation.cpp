#include "Animation.h"

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>

namespace murk {

namespace {

constexpr int FrameCount = 24;
constexpr int FrameMs = 80;

QPainterPath ShieldPath(const QRectF& box) {
    const qreal w = box.width();
    const qreal h = box.height();
    QPainterPath path(QPointF(box.left() + w / 2, box.top()));
    path.lineTo(box.right(), box.top() + h * 0.18);
    path.cubicTo(box.right(), box.top() + h * 0.62, box.left() + w * 0.75, box.top() + h * 0.86,
                 box.left() + w / 2, box.bottom());
    path.cubicTo(box.left() + w * 0.25, box.top() + h * 0.86, box.left(), box.top() + h * 0.62,
                 box.left(), box.top() + h * 0.18);
    path.closeSubpath();
    return path;
}

void PaintShield(QPainter& painter, const QRectF& box, qreal sweepDegrees) {
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shield = ShieldPath(box);
    QConicalGradient light(box.center(), sweepDegrees);
    light.setColorAt(0.0, QColor(120, 170, 255));
    light.setColorAt(0.25, QColor(30, 60, 140));
    light.setColorAt(0.75, QColor(30, 60, 140));
    light.setColorAt(1.0, QColor(120, 170, 255));
    painter.fillPath(shield, light);
    painter.setPen(QPen(QColor(240, 200, 60), qMax<qreal>(1.0, box.width() / 16)));
    painter.drawPath(shield);
    // The letter M of the name.
    const qreal w = box.width();
    const qreal h = box.height();
    QPainterPath m(QPointF(box.left() + w * 0.28, box.top() + h * 0.68));
    m.lineTo(box.left() + w * 0.28, box.top() + h * 0.30);
    m.lineTo(box.left() + w * 0.50, box.top() + h * 0.52);
    m.lineTo(box.left() + w * 0.72, box.top() + h * 0.30);
    m.lineTo(box.left() + w * 0.72, box.top() + h * 0.68);
    painter.setPen(
        QPen(Qt::white, qMax<qreal>(1.5, w / 10), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(m);
}

}  // namespace

TAnimate::TAnimate(QWidget* parent) : QWidget(parent) {
    setFixedSize(32, 32);
    FTimer.setInterval(FrameMs);
    connect(&FTimer, &QTimer::timeout, this, [this] {
        FFrame = (FFrame + 1) % FrameCount;
        update();
    });
}

void TAnimate::Play() {
    FTimer.start();
}

void TAnimate::Stop() {
    FTimer.stop();
}

void TAnimate::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintShield(painter, QRectF(rect()).adjusted(2, 1, -2, -1), -360.0 * FFrame / FrameCount);
}

QPixmap MurkwellLogo(int side) {
    QPixmap logo(side, side);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    PaintShield(
        painter,
        QRectF(0, 0, side, side).adjusted(side / 10.0, side / 20.0, -side / 10.0, -side / 20.0),
        90);
    return logo;
}

}  // namespace murk
