// The list screen's rows for the items view.
#include "DetailRowModel.h"

#include "ItemRowText.h"
#include "ListDetailModel.h"

DetailRowModel::DetailRowModel(ListDetailModel& screen, QObject* parent)
    : QAbstractListModel(parent), screen_(screen), rows_(screen.snapshot().rows) {
    connect(&screen_, &ListDetailModel::refreshed, this, &DetailRowModel::follow);
}

int DetailRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int DetailRowModel::rowOf(DetailRow::Kind kind) const {
    for (int i = 0; i < rows_.size(); ++i)
        if (rows_.at(i).kind == kind)
            return i;
    return -1;
}

QVariant DetailRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const DetailRow& row = rows_.at(index.row());
    switch (role) {
    case rowKindRole:
        return int(row.kind);
    case itemIDRole:
        return row.item.id;
    case expandedRole:
    case countRole: {
        const auto& header = screen_.snapshot().completedHeader;
        if (row.kind != DetailRow::Kind::completedHeader || !header)
            return {};
        return role == expandedRole ? QVariant(header->expanded) : QVariant(header->count);
    }
    case Qt::DisplayRole:
        return row.kind == DetailRow::Kind::item ? row.displayText : row.heading;
    case Qt::AccessibleTextRole:
        switch (row.kind) {
        case DetailRow::Kind::item:
            return ItemRowText::textLabel(row.item);
        case DetailRow::Kind::groupHeading:
            return row.heading;
        case DetailRow::Kind::completedHeader:
            return screen_.snapshot().completedHeader ? screen_.snapshot().completedHeader->label
                                                      : QString();
        default:
            return {};
        }
    case Qt::AccessibleDescriptionRole:
        if (row.kind == DetailRow::Kind::item)
            return ItemRowText::textHint(screen_.snapshot().canEdit);
        if (row.kind == DetailRow::Kind::completedHeader && screen_.snapshot().completedHeader)
            return screen_.snapshot().completedHeader->hint;
        return {};
    default:
        return {};
    }
}

void DetailRowModel::follow() {
    const QList<DetailRow>& next = screen_.snapshot().rows;
    bool sameRows = next.size() == rows_.size();
    for (int i = 0; sameRows && i < next.size(); ++i)
        sameRows = next.at(i).key() == rows_.at(i).key();
    if (!sameRows) {
        beginResetModel();
        rows_ = next;
        endResetModel();
        emit rowsReplaced();
        return;
    }
    QList<int> changed;
    for (int i = 0; i < next.size(); ++i)
        if (!(next.at(i) == rows_.at(i)) || next.at(i).kind != DetailRow::Kind::item)
            changed.append(i);
    rows_ = next;
    for (int i : changed)
        emit dataChanged(index(i), index(i));
}
