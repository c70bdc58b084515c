// The group editor's list section as an item model.
#include "CollectionEditorRowModel.h"

CollectionEditorRowModel::CollectionEditorRowModel(QObject* parent) : QAbstractListModel(parent) {}

void CollectionEditorRowModel::setEntries(const QList<CollectionEditorEntry>& entries) {
    bool sameRows = entries.size() == entries_.size();
    for (qsizetype i = 0; sameRows && i < entries.size(); ++i)
        sameRows = entries[i].list.id == entries_[i].list.id;
    if (!sameRows) {
        // Lists came or went while the sheet was open; the section is short-lived and rebuilt
        // whole, which keeps the ticks (they live in the editor model) and costs one layout.
        beginResetModel();
        entries_ = entries;
        endResetModel();
        return;
    }
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!(entries[i] == entries_[i])) {
            entries_[i] = entries[i];
            emit dataChanged(index(int(i)), index(int(i)));
        }
    }
}

void CollectionEditorRowModel::setTrimmedName(const QString& name) {
    if (name == trimmedName_)
        return;
    trimmedName_ = name;
    changedAll();
}

void CollectionEditorRowModel::setChosen(const QSet<QString>& chosen) {
    if (chosen == chosen_)
        return;
    const QSet<QString> before = chosen_;
    chosen_ = chosen;
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        const QString& id = entries_[i].list.id;
        if (before.contains(id) != chosen_.contains(id))
            emit dataChanged(index(int(i)), index(int(i)));
    }
}

void CollectionEditorRowModel::changedAll() {
    if (!entries_.isEmpty())
        emit dataChanged(index(0), index(int(entries_.size()) - 1));
}

int CollectionEditorRowModel::rowOf(const QString& listID) const {
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        if (entries_[i].list.id == listID)
            return int(i);
    }
    return -1;
}

CollectionEditorRowPresentation CollectionEditorRowModel::row(int row) const {
    const CollectionEditorEntry& entry = entries_.at(row);
    CollectionEditorRowPresentation p;
    p.listID = entry.list.id;
    p.name = entry.list.name;
    p.icon = entry.list.icon;
    p.colourID = entry.list.colourID;
    p.chosen = chosen_.contains(entry.list.id);
    if (entry.group && *entry.group != trimmedName_)
        p.currentlyIn = QStringLiteral("Currently in ") + *entry.group;
    p.accessibilityLabel = entry.list.name;
    return p;
}

int CollectionEditorRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(entries_.size());
}

QVariant CollectionEditorRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= entries_.size())
        return {};
    const CollectionEditorEntry& entry = entries_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return entry.list.name;
    case IdRole:
        return entry.list.id;
    case ChosenRole:
        return chosen_.contains(entry.list.id);
    case Qt::CheckStateRole:
        // Read by screen readers as the row's ticked state.
        return chosen_.contains(entry.list.id) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

Qt::ItemFlags CollectionEditorRowModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}
