#include "MainWidgets.h"

#include <QMouseEvent>
#include <QPainter>

#include "PreviewDecoder.h"
#include "RgbQt.h"

namespace murk {

void TFileListView::SetListLine(bool shown) {
    FListLine = shown;
    viewport()->update();
}

void TFileListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QTreeView::drawRow(painter, option, index);
    if (FListLine) {
        painter->save();
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }
}

TPreviewArea::TPreviewArea(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    setMinimumSize(16, 16);
}

void TPreviewArea::SetPicture(const QImage& image, const QSize& fullSize) {
    FImage = image;
    FFullSize = image.isNull() ? QSize() : fullSize;
    update();
}

QRect TPreviewArea::DrawnRect() const {
    return FImage.isNull() ? QRect() : PreviewDrawRect(FFullSize, size());
}

QColor TPreviewArea::Color() const {
    return palette().color(QPalette::Window);
}

void TPreviewArea::SetColor(const QColor& color) {
    QPalette colored = palette();
    colored.setColor(QPalette::Window, color);
    setPalette(colored);
}

void TPreviewArea::paintEvent(QPaintEvent*) {
    const QRect drawn = DrawnRect();
    if (drawn.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(drawn, FImage);
}

void TPreviewArea::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Clicked();
    }
}

TShadowLabel::TShadowLabel(const QString& text, QWidget* parent) : QWidget(parent), FCaption(text) {
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void TShadowLabel::SetLook(TRgb text, TRgb shadow) {
    FText = text;
    FShadow = shadow;
    update();
}

QSize TShadowLabel::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(FCaption) + 6, metrics.height() + 2};
}

void TShadowLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect().adjusted(2, 0, -2, -1);
    painter.setPen(ToColor(FShadow));
    painter.drawText(area.translated(1, 1), Qt::AlignVCenter | Qt::AlignLeft, FCaption);
    painter.setPen(ToColor(FText));
    painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft, FCaption);
}

}  // namespace murk
