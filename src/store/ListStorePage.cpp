// The lists page: rows with group headers, groups of lists, pins and the page drag. A list's
// group, pin and place on the page are the user's own arrangement, open also for a list that
// is shared with the user for reading only.
#include "ListStore.h"

#include "RecordField.h"
#include "model/ArrayMove.h"
#include "platform/Defaults.h"
#include "platform/Unicode.h"

#include <QHash>

#include <algorithm>

namespace {
const QString collapsedKey = QStringLiteral("collapsedCollections");
}

QSet<QString> ListStore::collapsedCollections() const {
    const QStringList names = defaults_.stringList(collapsedKey).value_or(QStringList());
    return QSet<QString>(names.begin(), names.end());
}

QList<PageRow> ListStore::pageRows() {
    rebuildDerivedCacheIfNeeded();
    const QSet<QString> collapsed = collapsedCollections();
    // Each list's group, and each group's members in display order, in one pass: a page of
    // thousands of lists in dozens of groups is read on every change.
    QList<const QString*> groupOf;
    groupOf.reserve(sortedListsCache_.size());
    QHash<QString, QList<const TBList*>> members;
    for (const TBList& list : sortedListsCache_) {
        const auto group = filings_.constFind(list.id);
        groupOf.append(group == filings_.cend() ? nullptr : &*group);
        if (group != filings_.cend())
            members[*group].append(&list);
    }
    QList<PageRow> rows;
    rows.reserve(sortedListsCache_.size() + members.size());
    QSet<QString> placed;
    for (qsizetype i = 0; i < sortedListsCache_.size(); ++i) {
        if (!groupOf[i]) {
            rows.append(PageRow::listRow(sortedListsCache_[i]));
            continue;
        }
        const QString& group = *groupOf[i];
        if (placed.contains(group))
            continue;
        // A group stands where its first member would, with all its members under it.
        placed.insert(group);
        rows.append(PageRow::groupHeader(group));
        if (collapsed.contains(group))
            continue;
        for (const TBList* member : members.value(group))
            rows.append(PageRow::listRow(*member));
    }
    return rows;
}

QStringList ListStore::collections() {
    rebuildDerivedCacheIfNeeded();
    QStringList names;
    for (const TBList& list : sortedListsCache_) {
        const auto group = filings_.find(list.id);
        if (group != filings_.end() && !names.contains(*group))
            names.append(*group);
    }
    return names;
}

std::optional<QString> ListStore::collection(const QString& listID) const {
    const auto group = filings_.find(listID);
    if (group == filings_.end())
        return std::nullopt;
    return *group;
}

void ListStore::setCollection(const std::optional<QString>& name, const QString& listID) {
    if (refusesEdit())
        return;
    const ChangeScope scope(*this);
    const QString trimmed = Unicode::trimWhitespaceAndNewlines(name.value_or(QString()));
    const std::optional<QString> before = collection(listID);
    if (!trimmed.isEmpty())
        filings_.insert(listID, trimmed);
    else
        filings_.remove(listID);
    if (collection(listID) != before)
        noteFiling(listID);
    markFilingDirty(listID);
}

void ListStore::dissolveCollection(const QString& name) {
    if (refusesEdit())
        return;
    QStringList members;
    for (auto it = filings_.begin(); it != filings_.end(); ++it) {
        if (it.value() == name)
            members.append(it.key());
    }
    batch([&] {
        for (const QString& listID : members) {
            filings_.remove(listID);
            noteFiling(listID);
            markFilingDirty(listID);
        }
    });
}

void ListStore::setCollectionCollapsed(const QString& name, bool collapsed) {
    QSet<QString> names = collapsedCollections();
    const bool before = names.contains(name);
    if (collapsed)
        names.insert(name);
    else
        names.remove(name);
    QStringList stored(names.begin(), names.end());
    std::sort(stored.begin(), stored.end());
    defaults_.setStringList(collapsedKey, stored);
    if (before != collapsed) {
        pendingChange_.collapsedGroups.insert(name);
        noted();
    }
}

void ListStore::setListPinned(const QString& listID, bool pinned) {
    if (refusesEdit())
        return;
    const qsizetype index = indexOfList(listID);
    if (index < 0)
        return;
    // The order stays: the display order alone puts pinned lists first.
    const ChangeScope scope(*this);
    const TBList before = lists_[index];
    lists_[index].pinned = pinned;
    listsChanged();
    noteListChanged(before, lists_[index]);
    markListDirty(listID, RecordFields::marks({ListField::pinned}));
}

void ListStore::movePageRows(const std::set<int>& offsets, int destination) {
    if (refusesEdit())
        return;
    const QList<PageRow> rows = pageRows();
    if (offsets.empty())
        return;
    const int first = *offsets.begin();
    if (first < 0 || first >= rows.size())
        return;
    if (rows[first].isHeader()) {
        moveGroup(rows[first].name, destination, rows);
        return;
    }
    const TBList moved = rows[first].list;
    const QList<PageRow> rearranged = ArrayMove::moving(rows, offsets, destination);
    const QString movedRowID = rows[first].id();
    const auto at = std::find_if(rearranged.begin(), rearranged.end(),
                                 [&](const PageRow& row) { return row.id() == movedRowID; });
    const int index = int(at - rearranged.begin());
    const std::optional<QString> current = collection(moved.id);
    const std::optional<QString> group = groupForListDroppedAt(index, rearranged, current);
    batch([&] {
        if (group != current)
            setCollection(group, moved.id);
        applyPageOrder(rearranged);
    });
}

std::optional<QString>
ListStore::groupForListDroppedAt(int index, const QList<PageRow>& rows,
                                 const std::optional<QString>& keeping) const {
    if (index < 1)
        return std::nullopt;
    const PageRow& above = rows[index - 1];
    if (above.isHeader())
        return above.name;
    const std::optional<QString> group = collection(above.list.id);
    if (!group)
        return std::nullopt;
    // Between two members of a group it joins the group; after its last member it keeps what
    // it had.
    if (index + 1 < rows.size() && !rows[index + 1].isHeader() &&
        collection(rows[index + 1].list.id) == group)
        return group;
    return keeping;
}

QList<QList<PageRow>> ListStore::pageBlocks(const QList<PageRow>& rows) const {
    QList<QList<PageRow>> blocks;
    QList<PageRow> current;
    const auto close = [&] {
        if (!current.isEmpty())
            blocks.append(current);
        current.clear();
    };
    for (const PageRow& row : rows) {
        if (row.isHeader()) {
            close();
            current.append(row);
        } else if (filings_.contains(row.list.id)) {
            if (current.isEmpty())
                blocks.append(QList<PageRow>{row});
            else
                current.append(row);
        } else {
            close();
            blocks.append(QList<PageRow>{row});
        }
    }
    close();
    return blocks;
}

void ListStore::moveGroup(const QString& name, int destination, const QList<PageRow>& rows) {
    const QList<QList<PageRow>> blocks = pageBlocks(rows);
    const auto found = std::find_if(blocks.begin(), blocks.end(), [&](const QList<PageRow>& b) {
        return b.first().isHeader() && b.first().name == name;
    });
    if (found == blocks.end())
        return;
    // A destination inside a block places the group after that block.
    qsizetype target = blocks.size();
    qsizetype rowsBefore = 0;
    for (qsizetype k = 0; k < blocks.size(); ++k) {
        if (rowsBefore >= destination) {
            target = k;
            break;
        }
        rowsBefore += blocks[k].size();
    }
    const QList<QList<PageRow>> moved =
        ArrayMove::moving(blocks, std::set<qsizetype>{found - blocks.begin()}, target);
    QList<PageRow> joined;
    for (const QList<PageRow>& block : moved)
        joined.append(block);
    batch([&] { applyPageOrder(joined); });
}

void ListStore::applyPageOrder(const QList<PageRow>& rows) {
    QSet<QString> shown;
    for (const PageRow& row : rows) {
        if (!row.isHeader())
            shown.insert(row.list.id);
    }
    const QSet<QString> collapsed = collapsedCollections();
    rebuildDerivedCacheIfNeeded();
    const QList<TBList> sorted = sortedListsCache_;
    QStringList sequence;
    for (const PageRow& row : rows) {
        if (!row.isHeader()) {
            sequence.append(row.list.id);
        } else if (collapsed.contains(row.name)) {
            // Hidden members keep their place at their header, in display order.
            for (const TBList& list : sorted) {
                if (collection(list.id) == row.name && !shown.contains(list.id))
                    sequence.append(list.id);
            }
        }
    }
    for (qsizetype position = 0; position < sequence.size(); ++position) {
        const qsizetype index = indexOfList(sequence[position]);
        if (index < 0 || lists_[index].order == double(position))
            continue;
        const TBList before = lists_[index];
        lists_[index].order = double(position);
        listsChanged();
        noteListChanged(before, lists_[index]);
        markListDirty(sequence[position], RecordFields::marks({ListField::order}));
    }
}
