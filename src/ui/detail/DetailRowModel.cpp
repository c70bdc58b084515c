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
    const qsizetype was = rows_.size();
    // The rows that stay at the top and at the bottom; those between are replaced.
    qsizetype head = 0;
    while (head < was && head < next.size() && rows_.at(head).key() == next.at(head).key())
        ++head;
    qsizetype tail = 0;
    while (tail < was - head && tail < next.size() - head &&
           rows_.at(was - 1 - tail).key() == next.at(next.size() - 1 - tail).key())
        ++tail;
    const bool sameRows = head == was && head == next.size();
    if (!sameRows) {
        // Only the rows between are taken out and put in: the header and the filter chips shown
        // on the rows that stay are kept (a reset would make them anew, and a screen reader
        // would hear them go and come back).
        emit rowsAboutToBeReplaced();
        if (was - head - tail > 0) {
            beginRemoveRows({}, int(head), int(was - tail - 1));
            rows_.remove(head, was - head - tail);
            endRemoveRows();
        }
        if (next.size() - head - tail > 0) {
            beginInsertRows({}, int(head), int(next.size() - tail - 1));
            rows_.insert(head, next.size() - head - tail, DetailRow());
            for (qsizetype i = head; i < next.size() - tail; ++i)
                rows_[i] = next.at(i);
            endInsertRows();
        }
    }
    QList<int> changed;
    for (int i = 0; i < next.size(); ++i)
        if (!(next.at(i) == rows_.at(i)) || next.at(i).kind != DetailRow::Kind::item)
            changed.append(i);
    rows_ = next;
    for (int i : changed)
        emit dataChanged(index(i), index(i));
    if (!sameRows)
        emit rowsReplaced();
}
