#include "FileListModel.h"

#include <QFile>
#include <QLocale>
#include <algorithm>
#include <numeric>

#include "FileSystem.h"

namespace murk {

namespace {

QString DecodeName(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

QString CellText(const TFileRow& row, int column) {
    switch (column) {
        case colNo:
            return QString::number(row.Number);
        case colAttr:
            return AttrText(row.Attributes);
        case colSize:
            return row.Size ? QLocale().toString(qlonglong(*row.Size)) : QString();
        case colFileName:
            return DecodeName(row.FileName);
        case colFolder:
            return DecodeName(row.Folder);
        default:
            return {};
    }
}

template <typename T>
int Compare(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int StateIcon(TMurkState state) {
    return state == msJpeg ? kJpegIcon : int(state);
}

QString AttrText(uint32_t Attributes) {
    QString text = QStringLiteral("---");
    if (Attributes & faReadOnly) {
        text[0] = u'R';
    }
    if (Attributes & faSysFile) {
        text[1] = u'S';
    }
    if (Attributes & faHidden) {
        text[2] = u'H';
    }
    return text;
}

TFileListModel::TFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

int TFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FRows.size());
}

int TFileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFileColumnCount;
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const TFileRow& row = Row(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return CellText(row, index.column());
        case Qt::TextAlignmentRole:
            return headerData(index.column(), Qt::Horizontal, role);
        case StateIconRole:
            return row.Icon;
        default:
            return {};
    }
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kCaptions[kFileColumnCount] = {"State", "No.",      "Attr.",
                                                            "Size",  "FileName", "Folder"};
    if (orientation != Qt::Horizontal || section < 0 || section >= kFileColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(kCaptions[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        const Qt::Alignment horizontal = section == colNo || section == colSize ? Qt::AlignRight
                                         : section == colAttr                   ? Qt::AlignHCenter
                                                                                : Qt::AlignLeft;
        return QVariant::fromValue(horizontal | Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void TFileListModel::AddRow(int32_t Number, const std::string& Path, std::optional<int64_t> Size,
                            int Icon) {
    TFileRow row;
    row.Number = Number;
    row.Folder = DirName(Path);
    row.FileName = BaseName(Path);
    // A file whose attributes cannot be read shows all three letters.
    row.Attributes = FileAttributes(Path).value_or(~uint32_t{0});
    row.Size = Size;
    row.Icon = Icon;
    const int at = rowCount();
    beginInsertRows({}, at, at);
    FRows.push_back(std::move(row));
    endInsertRows();
}

void TFileListModel::UpdateRow(int row, const std::string& FileName, std::optional<int64_t> Size,
                               int Icon) {
    TFileRow& target = FRows[size_t(row)];
    target.FileName = FileName;
    target.Size = Size;
    target.Icon = Icon;
    emit dataChanged(index(row, 0), index(row, kFileColumnCount - 1));
}

void TFileListModel::Clear() {
    beginResetModel();
    FRows.clear();
    endResetModel();
}

std::string TFileListModel::RowPath(int row) const {
    const TFileRow& r = Row(row);
    return r.Folder.ends_with('/') ? r.Folder + r.FileName : r.Folder + "/" + r.FileName;
}

void TFileListModel::ListViewColumnClick(int column) {
    if (column < 0 || column >= kFileColumnCount) {
        return;
    }
    const bool descending = FDescending[size_t(column)] = !FDescending[size_t(column)];

    // Texts are compared by the locale; they are built once per sort.
    std::vector<QString> texts;
    if (column == colAttr || column == colFileName || column == colFolder) {
        texts.reserve(FRows.size());
        for (const auto& row : FRows) {
            texts.push_back(CellText(row, column));
        }
    }
    auto compare = [&](size_t a, size_t b) {
        const TFileRow& ra = FRows[a];
        const TFileRow& rb = FRows[b];
        switch (column) {
            case colState:
                return Compare(ra.Icon, rb.Icon);
            case colNo:
                return Compare(ra.Number, rb.Number);
            case colSize:
                return Compare(ra.Size.value_or(-1), rb.Size.value_or(-1));
            default:
                return QString::localeAwareCompare(texts[a], texts[b]);
        }
    };
    std::vector<size_t> order(FRows.size());
    std::iota(order.begin(), order.end(), size_t{0});

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int result = compare(a, b);
        return descending ? result > 0 : result < 0;
    });
    std::vector<int> newRowOf(FRows.size());
    std::vector<TFileRow> sorted;
    sorted.reserve(FRows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newRowOf[order[i]] = int(i);
        sorted.push_back(std::move(FRows[order[i]]));
    }
    FRows = std::move(sorted);

    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from) {
        to.append(index(newRowOf[size_t(old.row())], old.column()));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace murk
