#include "StateIcons.h"

#include <QPainter>
#include <QPixmapCache>

#include <array>

#include "FileListModel.h"

namespace murk {

namespace {

constexpr QSize StateIconSize(48, 15);

struct TStateLook {
    const char* Name;
    QColor Fill;
    QColor Text;
};

// Indexed by icon number; 0 is never used.
const std::array<TStateLook, 8>& StateLooks() {
    static const std::array<TStateLook, 8> looks = {{
        {nullptr, {}, {}},
        {"Normal", QColor(52, 101, 164), Qt::white},
        {"Extra", QColor(206, 92, 0), Qt::white},
        {"JPG+?", QColor(237, 212, 0), Qt::black},
        {"Other", QColor(136, 138, 133), Qt::white},
        {"Ultra", QColor(117, 80, 123), Qt::white},
        {"Jpeg", QColor(78, 154, 6), Qt::white},
        {"Jpz", QColor(6, 152, 154), Qt::white},
    }};
    return looks;
}

QPixmap DrawStateIcon(const TStateLook& look) {
    QPixmap pixmap(StateIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(look.Fill.darker(140));
    painter.setBrush(look.Fill);
    painter.drawRoundedRect(QRectF(0.5, 0.5, StateIconSize.width() - 1, StateIconSize.height() - 1),
                            3, 3);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(look.Text);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString::fromLatin1(look.Name));
    return pixmap;
}

}  // namespace

QPixmap StateIconPixmap(int icon) {
    if (icon < 1 || icon >= int(StateLooks().size())) {
        return {};
    }
    // Drawn once each; the list asks for them on every paint of a row. The
    // cache goes with the application, which a static QPixmap would outlive.
    const QString key = QStringLiteral("murkwell-state-%1").arg(icon);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = DrawStateIcon(StateLooks()[size_t(icon)]);
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

void TStateIconDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() != colState) {
        return;
    }
    const QPixmap pixmap = StateIconPixmap(index.data(TFileListModel::StateIconRole).toInt());
    if (!pixmap.isNull()) {
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->icon = QIcon(pixmap);
        option->decorationSize = pixmap.size();
    }
}

}  // namespace murk
