// The lists page's rows as an item model, updated span by span.
#include "PageRowModel.h"

#include "model/ListRemoval.h"
#include "platform/PlatformWording.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <utility>

PageRowModel::PageRowModel(const QByteArray& locale, const QTimeZone& zone, QObject* parent)
    : QAbstractListModel(parent), relative_(locale, zone) {}

void PageRowModel::reindex() {
    rowByID_.clear();
    rowByID_.reserve(rows_.size());
    for (int i = 0; i < rows_.size(); ++i)
        rowByID_.insert(rows_[i].id(), i);
}

int PageRowModel::rowOf(const QString& id) const {
    return rowByID_.value(id, -1);
}

void PageRowModel::setRows(const QList<PageRowContent>& rows) {
    const int oldCount = int(rows_.size());
    const int newCount = int(rows.size());
    int prefix = 0;
    while (prefix < oldCount && prefix < newCount && rows_[prefix].id() == rows[prefix].id())
        ++prefix;
    int suffix = 0;
    while (suffix < oldCount - prefix && suffix < newCount - prefix &&
           rows_[oldCount - 1 - suffix].id() == rows[newCount - 1 - suffix].id())
        ++suffix;

    // Rows that keep their place but draw differently, by their new index, and the names a
    // screen reader was told of them, by id.
    QList<int> changed;
    QHash<QString, QString> namesBefore;
    const auto change = [&](int now, const PageRowContent& was) {
        changed.append(now);
        namesBefore.insert(was.id(), accessibleName(was));
    };
    for (int i = 0; i < prefix; ++i) {
        if (!(rows_[i] == rows[i]))
            change(i, rows_[i]);
    }
    for (int k = 0; k < suffix; ++k) {
        if (!(rows_[oldCount - 1 - k] == rows[newCount - 1 - k]))
            change(newCount - 1 - k, rows_[oldCount - 1 - k]);
    }

    const int oldMiddle = oldCount - prefix - suffix;
    const int newMiddle = newCount - prefix - suffix;
    QHash<QString, const PageRowContent*> oldByID;
    QList<QString> oldMiddleIDs;
    QList<QString> newMiddleIDs;
    for (int i = prefix; i < prefix + oldMiddle; ++i)
        oldMiddleIDs.append(rows_[i].id());
    for (int i = prefix; i < prefix + newMiddle; ++i)
        newMiddleIDs.append(rows[i].id());
    std::sort(oldMiddleIDs.begin(), oldMiddleIDs.end());
    std::sort(newMiddleIDs.begin(), newMiddleIDs.end());

    const bool structural = oldMiddle != 0 || newMiddle != 0;
    if (structural)
        emit rowsAboutToChange();
    if (!structural) {
        rows_ = rows;
    } else if (oldMiddle == 0) {
        beginInsertRows({}, prefix, prefix + newMiddle - 1);
        rows_ = rows;
        reindex();
        endInsertRows();
    } else if (newMiddle == 0) {
        beginRemoveRows({}, prefix, prefix + oldMiddle - 1);
        rows_ = rows;
        reindex();
        endRemoveRows();
    } else if (oldMiddleIDs == newMiddleIDs) {
        // The same rows in another order (a drag, a pin): persistent indexes follow their rows,
        // so the current row and anything the view keeps stay with what they pointed at.
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        QList<QString> beforeIDs;
        for (const QModelIndex& index : before)
            beforeIDs.append(index.row() < oldCount ? rows_[index.row()].id() : QString());
        for (int i = prefix; i < prefix + oldMiddle; ++i)
            oldByID.insert(rows_[i].id(), &rows_[i]);
        for (int i = prefix; i < prefix + newMiddle; ++i) {
            const PageRowContent* old = oldByID.value(rows[i].id());
            if (old && !(*old == rows[i]))
                change(i, *old);
        }
        rows_ = rows;
        reindex();
        QModelIndexList after;
        for (const QString& id : beforeIDs) {
            const int row = rowOf(id);
            after.append(row >= 0 ? index(row) : QModelIndex());
        }
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    } else {
        beginRemoveRows({}, prefix, prefix + oldMiddle - 1);
        rows_.remove(prefix, oldMiddle);
        reindex();
        endRemoveRows();
        beginInsertRows({}, prefix, prefix + newMiddle - 1);
        rows_ = rows;
        reindex();
        endInsertRows();
    }
    if (structural)
        emit rowsChanged();
    emitChanged(changed);
    QList<int> renamed;
    for (int row : std::as_const(changed))
        if (accessibleName(rows_[row]) != namesBefore.value(rows_[row].id()))
            renamed.append(row);
    if (!renamed.isEmpty())
        emit rowsRenamed(renamed);
}

void PageRowModel::updateRow(int row, const PageRowContent& content) {
    if (row < 0 || row >= rows_.size() || rows_[row] == content)
        return;
    const QString nameBefore = accessibleName(rows_[row]);
    rows_[row] = content;
    dueCache_.remove(content.row.list.id);
    emit dataChanged(index(row), index(row));
    if (accessibleName(rows_[row]) != nameBefore)
        emit rowsRenamed({row});
}

void PageRowModel::emitChanged(QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    int start = 0;
    while (start < rows.size()) {
        int end = start;
        while (end + 1 < rows.size() && rows[end + 1] == rows[end] + 1)
            ++end;
        emit dataChanged(index(rows[start]), index(rows[end]));
        start = end + 1;
    }
}

void PageRowModel::setEditing(bool editing) {
    if (editing_ == editing)
        return;
    editing_ = editing;
    if (!rows_.isEmpty())
        emit dataChanged(index(0), index(int(rows_.size()) - 1));
}

void PageRowModel::setSelectedListID(const std::optional<QString>& listID) {
    if (selectedListID_ == listID)
        return;
    QList<int> affected;
    if (selectedListID_)
        affected.append(rowOf(QStringLiteral("L#") + *selectedListID_));
    selectedListID_ = listID;
    if (selectedListID_)
        affected.append(rowOf(QStringLiteral("L#") + *selectedListID_));
    affected.removeAll(-1);
    emitChanged(affected);
}

void PageRowModel::setNow(Date now) {
    if (now == now_)
        return;
    now_ = now;
    dueCache_.clear();
}

void PageRowModel::datedRowsChanged() {
    QList<int> dated;
    for (int i = 0; i < rows_.size(); ++i) {
        const PageRowContent& content = rows_[i];
        if (!content.isHeader() && content.row.list.dueDate &&
            content.row.list.kind == TBListKind::oneOff)
            dated.append(i);
    }
    emitChanged(dated);
}

std::optional<QString> PageRowModel::dueSummary(const TBList& list) const {
    if (list.kind == TBListKind::ongoing || !list.dueDate)
        return std::nullopt;
    const auto cached = dueCache_.constFind(list.id);
    if (cached != dueCache_.cend() && cached->first == *list.dueDate)
        return cached->second;
    std::optional<QString> text = ListRowText::dueSummary(list, now_, relative_);
    dueCache_.insert(list.id, {*list.dueDate, text});
    return text;
}

ListRowPresentation PageRowModel::listRow(int row) const {
    return listRowOf(rows_.at(row));
}

GroupHeaderPresentation PageRowModel::header(int row) const {
    return headerOf(rows_.at(row));
}

QString PageRowModel::accessibleName(const PageRowContent& content) const {
    return content.isHeader() ? headerOf(content).accessibilityLabel
                              : listRowOf(content).accessibilityLabel;
}

ListRowPresentation PageRowModel::listRowOf(const PageRowContent& content) const {
    const TBList& list = content.row.list;
    const ListRemoval removal = ListRemoval::decide(list.zoneOwnerName.has_value(), list.hasShare);
    ListRowPresentation p;
    p.listID = list.id;
    p.name = list.name;
    p.icon = list.icon;
    p.colourID = list.colourID;
    p.countSummary = ListRowText::countSummary(list.kind, content.counts);
    p.dueText = dueSummary(list);
    if (p.dueText) {
        p.urgency = list.urgency(now_);
        p.dueChipAccessibilityLabel = ListRowText::dueChipAccessibilityLabel(*p.dueText, p.urgency);
    }
    p.showsSharedMark = ListRowText::isShared(list) && !editing_;
    p.pinned = list.pinned;
    p.inGroup = content.inGroup;
    p.selected = selectedListID_ == list.id;
    p.editing = editing_;
    p.accessibilityLabel = ListRowText::accessibilityLabel(list, p.countSummary, p.dueText);
    p.accessibilityHint = editing_ ? QStringLiteral("Drag to reorder")
                                   : PlatformWording::hint(PlatformWording::Hint::open);
    p.removeButtonLabel = removal.verb + QStringLiteral(": ") + list.name;
    return p;
}

GroupHeaderPresentation PageRowModel::headerOf(const PageRowContent& content) const {
    GroupHeaderPresentation p;
    p.name = content.row.name;
    p.title = Unicode::toUpper(p.name);
    p.countText = QString::number(content.memberCount);
    p.collapsed = content.collapsed;
    p.editing = editing_;
    p.accessibilityLabel =
        p.name + QStringLiteral(", ") + p.countText +
        (content.memberCount == 1 ? QStringLiteral(" list") : QStringLiteral(" lists"));
    p.accessibilityHint = PlatformWording::hint(content.collapsed ? PlatformWording::Hint::show
                                                                  : PlatformWording::Hint::hide);
    p.pencilLabel = QStringLiteral("Edit group ") + p.name;
    return p;
}

namespace {

RowCommand pinCommand(const TBList& list) {
    return list.pinned ? RowCommand{RowCommand::Action::unpin,
                                    QStringLiteral("Unpin"),
                                    QStringLiteral("Unpin ") + list.name,
                                    QStringLiteral("pin.slash"),
                                    false,
                                    true}
                       : RowCommand{RowCommand::Action::pin,
                                    QStringLiteral("Pin"),
                                    QStringLiteral("Pin ") + list.name,
                                    QStringLiteral("pin"),
                                    false,
                                    true};
}

RowCommand removeCommand(const TBList& list) {
    const ListRemoval removal = ListRemoval::decide(list.zoneOwnerName.has_value(), list.hasShare);
    return {
        RowCommand::Action::remove, removal.verb, removal.verb + QStringLiteral(": ") + list.name,
        QStringLiteral("trash"),    true,         removal.allowsFullSwipe};
}

RowCommand renameCommand(const TBList& list) {
    return {RowCommand::Action::rename,
            QStringLiteral("Rename…"),
            QStringLiteral("Rename ") + list.name,
            {},
            false,
            false};
}

RowCommand editGroupCommand(const QString& name) {
    return {RowCommand::Action::editGroup,
            QStringLiteral("Edit group"),
            QStringLiteral("Edit group ") + name,
            QStringLiteral("pencil"),
            false,
            false};
}

RowCommand ungroupCommand(const QString& name, const QString& title) {
    return {RowCommand::Action::ungroup,          title, QStringLiteral("Ungroup ") + name,
            QStringLiteral("folder.badge.minus"), true,  false};
}

} // namespace

RowCommands PageRowModel::menu(int row) const {
    const PageRowContent& content = rows_.at(row);
    if (!changesOffered_)
        return {};
    if (content.isHeader()) {
        return {editGroupCommand(content.row.name), RowCommand::separatorLine(),
                ungroupCommand(content.row.name, QStringLiteral("Ungroup lists"))};
    }
    const TBList& list = content.row.list;
    if (!ListRowText::canEditHere(list))
        return {removeCommand(list)};
    if (!renameOffered_)
        return {pinCommand(list), RowCommand::separatorLine(), removeCommand(list)};
    return {renameCommand(list), pinCommand(list), RowCommand::separatorLine(),
            removeCommand(list)};
}

RowCommands PageRowModel::leadingSwipe(int row) const {
    const PageRowContent& content = rows_.at(row);
    if (!changesOffered_ || content.isHeader() || !ListRowText::canEditHere(content.row.list))
        return {};
    return {pinCommand(content.row.list)};
}

RowCommands PageRowModel::trailingSwipe(int row) const {
    const PageRowContent& content = rows_.at(row);
    if (!changesOffered_)
        return {};
    if (content.isHeader())
        return {ungroupCommand(content.row.name, QStringLiteral("Ungroup"))};
    return {removeCommand(content.row.list)};
}

RowCommands PageRowModel::accessibleActions(int row) const {
    RowCommands actions = menu(row);
    actions.removeIf([](const RowCommand& c) { return c.action == RowCommand::Action::separator; });
    return actions;
}

int PageRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant PageRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const PageRowContent& content = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return content.isHeader() ? content.row.name : content.row.list.name;
    case Qt::AccessibleTextRole:
        return content.isHeader() ? header(index.row()).accessibilityLabel
                                  : listRow(index.row()).accessibilityLabel;
    case Qt::AccessibleDescriptionRole:
        return content.isHeader() ? header(index.row()).accessibilityHint
                                  : listRow(index.row()).accessibilityHint;
    case IdRole:
        return content.id();
    case IsHeaderRole:
        return content.isHeader();
    default:
        return {};
    }
}

Qt::ItemFlags PageRowModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
