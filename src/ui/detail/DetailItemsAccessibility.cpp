// What a screen reader finds on the list's scrolling content: the header and the filter chips as
// the widgets their rows show, the group headings, the items with their tick and star, the
// completed section's header; the closing spacer is passed over. A tick, a star, an add, a
// removal or a change of the list's rights is told to a screen reader as it happens.
#include "DetailItemsView.h"

#include "DetailRowModel.h"
#include "ItemRowGeometry.h"
#include "ItemRowText.h"
#include "ListDetailModel.h"

#include <QAccessible>

#include <utility>

QString DetailItemsView::rowKey(int row) const {
    return rows_->row(row).key();
}

int DetailItemsView::rowOfKey(const QString& key) const {
    for (int i = 0; i < rows_->rowCount(); ++i)
        if (rows_->row(i).key() == key)
            return i;
    return -1;
}

QAccessible::Role DetailItemsView::rowRole(int row) const {
    switch (rows_->row(row).kind) {
    case DetailRow::Kind::groupHeading:
        return QAccessible::Heading;
    case DetailRow::Kind::completedHeader:
        return QAccessible::Button;
    default:
        return QAccessible::ListItem;
    }
}

QAccessible::State DetailItemsView::rowState(int row) const {
    QAccessible::State state;
    const DetailRow& r = rows_->row(row);
    if (r.kind == DetailRow::Kind::completedHeader) {
        // As the snapshot shows it, with the header's name and count.
        const auto& header = screen_.snapshot().completedHeader;
        const bool expanded = header && header->expanded;
        state.expandable = true;
        state.expanded = expanded;
        state.collapsed = !expanded;
    } else if (r.kind == DetailRow::Kind::item) {
        state.checkable = true;
        state.checked = r.item.done;
    }
    if (takesKeys(row)) {
        state.focusable = true;
        state.focused = hasFocus() && currentIndex().row() == row;
    }
    return state;
}

QStringList DetailItemsView::rowActions(int row) const {
    const DetailRow& r = rows_->row(row);
    QStringList names;
    if (r.kind == DetailRow::Kind::item || r.kind == DetailRow::Kind::completedHeader)
        names.append(QAccessibleActionInterface::pressAction());
    for (const AccessibleAction& action : screen_.rowActions(r))
        names.append(action.name);
    return names;
}

void DetailItemsView::doRowAction(int row, const QString& name) {
    const DetailRow r = rows_->row(row);
    if (name == QAccessibleActionInterface::pressAction()) {
        act(rows_->index(row),
            r.kind == DetailRow::Kind::item ? Part::text : Part::completedHeader);
        return;
    }
    for (const AccessibleAction& action : screen_.rowActions(r)) {
        if (action.name == name) {
            action.run();
            return;
        }
    }
}

bool DetailItemsView::rowIsDecoration(int row) const {
    return rows_->row(row).kind == DetailRow::Kind::spacer;
}

QList<AccessibleRows::Control> DetailItemsView::rowControls(int row) const {
    const DetailRow& r = rows_->row(row);
    if (r.kind != DetailRow::Kind::item)
        return {};
    const bool canEdit = screen_.snapshot().canEdit;
    const ItemRowGeometry g = ItemRowGeometry::of(visualRect(rows_->index(row)), canEdit);
    const QString itemID = r.item.id;
    ListDetailModel* screen = &screen_;
    // The tick of a list that may not be changed is shown, and does nothing.
    Control tick{QStringLiteral("tick"),
                 {ItemRowText::tickLabel(r.item), {}, {}, AccessibleTrait::button, {}},
                 g.tick};
    if (screen_.mayWrite())
        tick.spec.actions.append({QAccessibleActionInterface::pressAction(),
                                  [screen, itemID] { screen->tick(itemID); }});
    if (!canEdit)
        return {tick};
    const AccessibleTraits starTraits =
        r.item.pinned ? AccessibleTraits(AccessibleTrait::button | AccessibleTrait::selected)
                      : AccessibleTraits(AccessibleTrait::button);
    Control star{QStringLiteral("star"),
                 {ItemRowText::starLabel(r.item),
                  {},
                  {},
                  starTraits,
                  {{QAccessibleActionInterface::pressAction(),
                    [screen, itemID] { screen->toggleStar(itemID); }}}},
                 g.star};
    return {tick, star};
}

// A screen reader is told of rows one by one up to this many that come or go at once; more are a
// new view of the list as a whole (a filter, a fold), which it follows through the focus.
constexpr int rowsToldOneByOne = 50;

void DetailItemsView::rowsAboutToFollow(const DetailSnapshot& next) {
    told_ = Told();
    const DetailSnapshot& shown = screen_.snapshot();
    // Another list: all its rows are new, and the screen reader follows the focus there.
    if (!next.list || !shown.list || next.list->id != shown.list->id)
        return;
    told_.sameList = true;
    QHash<QString, qsizetype> nextRows;
    for (qsizetype i = 0; i < next.rows.size(); ++i)
        nextRows.insert(next.rows.at(i).key(), i);
    const bool sameRights = next.canEdit == shown.canEdit;
    QList<int> going;
    for (int row = 0; row < rows_->rowCount(); ++row) {
        const DetailRow& was = rows_->row(row);
        if (rowIsDecoration(row) || indexWidget(rows_->index(row)))
            continue;
        const QString key = was.key();
        told_.keys.insert(key);
        const auto found = nextRows.constFind(key);
        if (found == nextRows.cend()) {
            going.append(row);
            continue;
        }
        // An item says only what it holds and what the rights allow; a heading's or the
        // completed header's words come from elsewhere.
        if (was.kind == DetailRow::Kind::item && sameRights && next.rows.at(*found) == was)
            continue;
        told_.faces.insert(key, AccessibleRows::faceOf(this, row));
    }
    // Told while they are still there to be asked about.
    if (going.size() <= rowsToldOneByOne)
        for (int row : std::as_const(going))
            AccessibleRows::announceGoing(this, row);
}

void DetailItemsView::announceRowChanges() {
    const Told told = std::exchange(told_, Told());
    if (!told.sameList)
        return;
    QList<int> came;
    for (int row = 0; row < rows_->rowCount(); ++row) {
        if (rowIsDecoration(row) || indexWidget(rows_->index(row)))
            continue;
        const QString key = rows_->row(row).key();
        if (const auto before = told.faces.constFind(key); before != told.faces.cend())
            AccessibleRows::announceChanges(this, row, *before);
        else if (!told.keys.contains(key))
            came.append(row);
    }
    if (came.size() <= rowsToldOneByOne)
        for (int row : std::as_const(came))
            AccessibleRows::announceCame(this, row);
}
