#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTreeView>
#include <QWidget>

#include "Rgb.h"

namespace murk {

// The file list. The view has no grid of its own, so the rows' lines of the
// "ListLine" option are drawn here.
class TFileListView : public QTreeView {
    Q_OBJECT
public:
    using QTreeView::QTreeView;

    bool ListLine() const { return FListLine; }
    void SetListLine(bool shown);

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    bool FListLine = false;
};

// The paint surface of the preview pane: the kept picture scaled by the
// divisor rule and centred on the pane's colour.
class TPreviewArea : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewArea(QWidget* parent = nullptr);

    // A null image empties the pane.
    void SetPicture(const QImage& image, const QSize& fullSize);
    // Where the picture is drawn now; empty when there is none.
    QRect DrawnRect() const;

    QColor Color() const;
    void SetColor(const QColor& color);

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage FImage;
    QSize FFullSize;
};

// The label "PassWord", drawn over a shadow; its colours say whether the
// password box is in use.
class TShadowLabel : public QWidget {
    Q_OBJECT
public:
    TShadowLabel(const QString& text, QWidget* parent = nullptr);

    void SetLook(TRgb text, TRgb shadow);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString FCaption;
    TRgb FText = kYellow;
    TRgb FShadow = kGrey;
};

}  // namespace murk
