#pragma once

#include "DetailRow.h"

#include <QAbstractListModel>

class ListDetailModel;

// The list screen's rows as a Qt item model for the items view. It follows the screen model's
// snapshots: when the rows are the same ones (same keys, same order) only the rows whose content
// changed are reported, so a tick repaints one row and the view keeps its scroll place;
// otherwise the rows between the first and the last that differ are replaced (removed and
// inserted), and those around them stay, with any widget a view shows on them.
class DetailRowModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The completed section's header also answers whether its section is open (a bool) and how
    // many items it holds (an int).
    enum Role { rowKindRole = Qt::UserRole + 1, itemIDRole, expandedRole, countRole };

    explicit DetailRowModel(ListDetailModel& screen, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    const DetailRow& row(int index) const { return rows_.at(index); }
    // The row of a kind, or -1.
    int rowOf(DetailRow::Kind kind) const;

signals:
    // Around a replacement of rows: before the first row goes, and once the rows are the
    // snapshot's (their changed contents reported).
    void rowsAboutToBeReplaced();
    void rowsReplaced();

private:
    void follow();

    ListDetailModel& screen_;
    QList<DetailRow> rows_;
};
