#include "ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace murk {

namespace {

constexpr int Side = 32;

enum class TGlyph {
    Exit,
    Cancel,
    Back,
    Next,
    Option,
    Help,
    Folder,
    SubFolder,
    Add,
    Del,
    Refresh,
    Shield,
    Single,
    All
};

struct TPicture {
    int Index;
    TGlyph Glyph;
    // Hot pictures are drawn brighter.
    bool Hot;
    const char* ThemeName;
};

const TPicture Pictures[] = {
    {tiCancel, TGlyph::Cancel, false, "process-stop"},
    {tiAdd, TGlyph::Add, false, "list-add"},
    {tiDel, TGlyph::Del, false, "list-remove"},
    {tiRefresh, TGlyph::Refresh, false, "view-refresh"},
    {tiFolder, TGlyph::Folder, false, "folder"},
    {tiNormal, TGlyph::Shield, false, nullptr},
    {tiExtra, TGlyph::Shield, true, nullptr},
    {tiSubDir, TGlyph::SubFolder, false, "folder-open"},
    {tiCurrent, TGlyph::Folder, false, "folder"},
    {tiBackHot, TGlyph::Back, true, "go-previous"},
    {tiNextHot, TGlyph::Next, true, "go-next"},
    {tiSingle, TGlyph::Single, false, nullptr},
    {tiAll, TGlyph::All, false, nullptr},
    {tiBack, TGlyph::Back, false, "go-previous"},
    {tiNext, TGlyph::Next, false, "go-next"},
    {tiExitHot, TGlyph::Exit, true, "application-exit"},
    {tiOptionHot, TGlyph::Option, true, "preferences-system"},
    {tiExit, TGlyph::Exit, false, "application-exit"},
    {tiHelp, TGlyph::Help, false, "help-browser"},
    {tiHelpHot, TGlyph::Help, true, "help-browser"},
    {tiOption, TGlyph::Option, false, "preferences-system"},
};

QColor Tone(QColor color, bool hot) {
    return hot ? color.lighter(125) : color;
}

void DrawFolder(QPainter& p, bool hot, const QRectF& box) {
    const QColor fill = Tone(QColor(222, 170, 56), hot);
    p.setPen(QPen(fill.darker(150), 1.5));
    p.setBrush(fill);
    QPainterPath path;
    path.moveTo(box.left(), box.top() + 3);
    path.lineTo(box.left() + box.width() * 0.4, box.top() + 3);
    path.lineTo(box.left() + box.width() * 0.5, box.top() + 6);
    path.lineTo(box.right(), box.top() + 6);
    path.lineTo(box.right(), box.bottom());
    path.lineTo(box.left(), box.bottom());
    path.closeSubpath();
    p.drawPath(path);
}

void DrawSign(QPainter& p, bool plus, QColor color) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(17, 17, 14, 14));
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20.5, 24), QPointF(27.5, 24));
    if (plus) {
        p.drawLine(QPointF(24, 20.5), QPointF(24, 27.5));
    }
}

void DrawArrow(QPainter& p, bool hot, bool right) {
    const QColor fill = Tone(QColor(52, 101, 164), hot);
    p.setPen(QPen(fill.darker(140), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    QPolygonF arrow({{4, 16}, {16, 5}, {16, 11}, {28, 11}, {28, 21}, {16, 21}, {16, 27}});
    if (right) {
        for (QPointF& point : arrow) {
            point.setX(Side - point.x());
        }
    }
    p.drawPolygon(arrow);
}

void DrawPage(QPainter& p, const QRectF& box) {
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(box);
}

void DrawGlyph(QPainter& p, TGlyph glyph, bool hot) {
    switch (glyph) {
        case TGlyph::Exit: {
            const QColor color = Tone(QColor(204, 0, 0), hot);
            p.setPen(QPen(color, 3.5, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(6, 7, 20, 20), 120 * 16, 300 * 16);
            p.drawLine(QPointF(16, 4), QPointF(16, 16));
            break;
        }
        case TGlyph::Cancel: {
            const QColor color = Tone(QColor(204, 0, 0), hot);
            p.setPen(QPen(color.darker(140), 1.5));
            p.setBrush(color);
            p.drawEllipse(QRectF(4, 4, 24, 24));
            p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(11, 11), QPointF(21, 21));
            p.drawLine(QPointF(21, 11), QPointF(11, 21));
            break;
        }
        case TGlyph::Back:
        case TGlyph::Next:
            DrawArrow(p, hot, glyph == TGlyph::Next);
            break;
        case TGlyph::Option: {
            const QColor color = Tone(QColor(85, 87, 83), hot);
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            p.translate(16, 16);
            for (int tooth = 0; tooth < 8; ++tooth) {
                p.drawRoundedRect(QRectF(-2.5, -14, 5, 8), 1, 1);
                p.rotate(45);
            }
            p.drawEllipse(QPointF(0, 0), 9.5, 9.5);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(0, 0), 4, 4);
            p.resetTransform();
            break;
        }
        case TGlyph::Help: {
            const QColor color = Tone(QColor(52, 101, 164), hot);
            p.setPen(QPen(color.darker(140), 1.5));
            p.setBrush(color);
            p.drawEllipse(QRectF(3, 3, 26, 26));
            QFont font = p.font();
            font.setPixelSize(20);
            font.setBold(true);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(QRectF(0, 0, Side, Side), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
        case TGlyph::Folder:
            DrawFolder(p, hot, QRectF(3, 5, 26, 22));
            break;
        case TGlyph::SubFolder:
            DrawFolder(p, hot, QRectF(2, 3, 20, 17));
            DrawFolder(p, hot, QRectF(10, 12, 20, 17));
            break;
        case TGlyph::Add:
        case TGlyph::Del:
            DrawFolder(p, hot, QRectF(2, 4, 24, 20));
            DrawSign(p, glyph == TGlyph::Add,
                     glyph == TGlyph::Add ? QColor(78, 154, 6) : QColor(204, 0, 0));
            break;
        case TGlyph::Refresh: {
            const QColor color = Tone(QColor(78, 154, 6), hot);
            p.setPen(QPen(color, 4, Qt::SolidLine, Qt::FlatCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(6, 6, 20, 20), 90 * 16, 270 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            p.drawPolygon(QPolygonF({{16, 0}, {24, 6}, {16, 12}}));
            break;
        }
        case TGlyph::Shield: {
            const QColor color = hot ? QColor(237, 212, 0) : QColor(136, 138, 133);
            p.setPen(QPen(color.darker(150), 1.5));
            p.setBrush(color);
            QPainterPath shield;
            shield.moveTo(16, 3);
            shield.lineTo(27, 7);
            shield.cubicTo(27, 18, 22, 25, 16, 29);
            shield.cubicTo(10, 25, 5, 18, 5, 7);
            shield.closeSubpath();
            p.drawPath(shield);
            break;
        }
        case TGlyph::Single:
            DrawPage(p, QRectF(8, 4, 16, 24));
            break;
        case TGlyph::All:
            DrawPage(p, QRectF(12, 3, 16, 22));
            DrawPage(p, QRectF(8, 6, 16, 22));
            DrawPage(p, QRectF(4, 9, 16, 22));
            break;
    }
}

QPixmap DrawPicture(const TPicture& picture) {
    QPixmap pixmap(Side, Side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawGlyph(painter, picture.Glyph, picture.Hot);
    return pixmap;
}

const TPicture* FindPicture(int index) {
    for (const TPicture& picture : Pictures) {
        if (picture.Index == index) {
            return &picture;
        }
    }
    return nullptr;
}

}  // namespace

QIcon ToolbarIcon(int index) {
    const TPicture* picture = FindPicture(index);
    if (!picture) {
        return {};
    }
    if (picture->ThemeName && QIcon::hasThemeIcon(QString::fromLatin1(picture->ThemeName))) {
        return QIcon::fromTheme(QString::fromLatin1(picture->ThemeName));
    }
    return QIcon(DrawPicture(*picture));
}

QIcon HoverIcon(int over, int away) {
    QIcon icon;
    const QIcon overIcon = ToolbarIcon(over);
    const QIcon awayIcon = ToolbarIcon(away);
    for (const int side : {16, 24, 32}) {
        icon.addPixmap(awayIcon.pixmap(side, side), QIcon::Normal);
        icon.addPixmap(overIcon.pixmap(side, side), QIcon::Active);
    }
    return icon;
}

}  // namespace murk
