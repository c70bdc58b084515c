// What a screen reader finds on the list's scrolling content: the header and the filter chips as
// the widgets their rows show, the group headings, the items with their tick and star, the
// completed section's header; the closing spacer is passed over.
#include "DetailItemsView.h"

#include "DetailRowModel.h"
#include "ItemRowGeometry.h"
#include "ItemRowText.h"
#include "ListDetailModel.h"

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
        const bool expanded = screen_.state().showingCompleted;
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
