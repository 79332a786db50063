#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

namespace murk {

// The state pictures of the file list, 48 x 15: a coloured label with the
// state's name, for the icon numbers 1 to 7 of the rows; null for any other.
QPixmap StateIconPixmap(int icon);

// Draws a row's state picture in the "State" column and nothing else there.
class TStateIconDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace murk
