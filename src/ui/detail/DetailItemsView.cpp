// The list's scrolling content.
#include "DetailItemsView.h"

#include "DetailRowDelegate.h"
#include "DetailRowModel.h"
#include "ItemRowGeometry.h"
#include "ItemRowText.h"
#include "ListDetailModel.h"
#include "ListHeroView.h"
#include "TagFilterBar.h"
#include "ui/components/RowDragController.h"
#include "ui/components/RowSwipeController.h"
#include "ui/theme/ThemeColour.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

DetailItemsView::DetailItemsView(ListDetailModel& screen, QWidget* parent)
    : QListView(parent), screen_(screen), rows_(new DetailRowModel(screen, this)),
      delegate_(new DetailRowDelegate(*rows_, this, this)), drag_(new RowDragController(this)),
      swipe_(new RowSwipeController(this)) {
    AccessibleRows::install();
    setModel(rows_);
    setItemDelegate(delegate_);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::NoSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(24);
    delegate_->setWithStar(screen_.snapshot().canEdit);

    // Dragging: by an open item's text, on a list that may be edited and is not grouped.
    drag_->setLineColour([] { return Theme::Colour::primary.resolved(); });
    drag_->setCanDrag([this](const QModelIndex& index, const QPoint& at) {
        return !swipe_->isOpen() && screen_.canDrag() && rows_->row(index.row()).draggable &&
               partAt(at) == Part::text;
    });
    connect(drag_, &RowDragController::dropped, this, &DetailItemsView::drop);

    swipe_->setSides([this](const QModelIndex& index) {
        RowSwipeController::Sides sides;
        if (screen_.mayWrite() && rows_->row(index.row()).kind == DetailRow::Kind::item) {
            sides.leadingButtons = 1;
            sides.trailingButtons = 1;
            sides.leadingFullSwipe = true;
            sides.trailingFullSwipe = true;
        }
        return sides;
    });
    swipe_->setMargins([](const QModelIndex&) {
        return QMargins(ItemRowGeometry::rowInsetSide, ItemRowGeometry::rowInsetVertical,
                        ItemRowGeometry::rowInsetSide, ItemRowGeometry::rowInsetVertical);
    });
    connect(swipe_, &RowSwipeController::fullSwipe, this,
            [this](const QModelIndex& index, RowSwipeController::Edge edge) {
                swipeAction(index, edge == RowSwipeController::Edge::leading);
            });
    connect(swipe_, &RowSwipeController::offsetChanged, viewport(), qOverload<>(&QWidget::update));
    delegate_->setControllers(drag_, swipe_);

    connect(rows_, &QAbstractItemModel::modelAboutToBeReset, swipe_, &RowSwipeController::close);
    connect(rows_, &DetailRowModel::rowsReplaced, this, [this] {
        delegate_->setWithStar(screen_.snapshot().canEdit);
        placeWidgets();
    });
    connect(rows_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                for (int row = from.row(); row <= to.row(); ++row) {
                    const DetailRow::Kind kind = rows_->row(row).kind;
                    if (kind == DetailRow::Kind::hero || kind == DetailRow::Kind::filterBar) {
                        placeWidgets();
                        return;
                    }
                }
            });
    connect(&screen_, &ListDetailModel::revealItem, this, &DetailItemsView::reveal);
    placeWidgets();
}

// An item just added lands at the end of a long list, below the fold: it scrolls into sight.
void DetailItemsView::reveal(const QString& itemID) {
    for (int row = 0; row < rows_->rowCount(); ++row) {
        if (rows_->row(row).kind == DetailRow::Kind::item && rows_->row(row).item.id == itemID) {
            scrollTo(rows_->index(row), QAbstractItemView::EnsureVisible);
            return;
        }
    }
}

void DetailItemsView::placeWidgets() {
    const DetailSnapshot& snapshot = screen_.snapshot();
    bool heightsChanged = false;
    const int heroRow = rows_->rowOf(DetailRow::Kind::hero);
    if (heroRow >= 0 && snapshot.hero) {
        const QModelIndex index = rows_->index(heroRow);
        const int width = viewport()->width();
        if (auto* hero = qobject_cast<ListHeroView*>(indexWidget(index))) {
            // In place: a new widget would make the view lay out every row again.
            const int before = hero->heightForWidth(width);
            hero->setHero(*snapshot.hero);
            heightsChanged |= hero->heightForWidth(width) != before;
        } else {
            auto* fresh = new ListHeroView(*snapshot.hero);
            connect(fresh, &ListHeroView::editRequested, &screen_, &ListDetailModel::editList);
            setIndexWidget(index, fresh);
            heightsChanged = true;
        }
    }
    const int filterRow = rows_->rowOf(DetailRow::Kind::filterBar);
    if (filterRow >= 0) {
        const QModelIndex index = rows_->index(filterRow);
        auto* old = qobject_cast<TagFilterBar*>(indexWidget(index));
        if (!old || old->chips() != snapshot.chips) {
            auto* bar = new TagFilterBar(snapshot.chips);
            // Keep the chips where the user had scrolled them.
            if (old)
                bar->horizontalScrollBar()->setValue(old->horizontalScrollBar()->value());
            else
                heightsChanged = true;
            connect(bar, &TagFilterBar::groupingToggled, &screen_,
                    &ListDetailModel::toggleGrouping);
            connect(bar, &TagFilterBar::tagToggled, &screen_, &ListDetailModel::toggleTag);
            setIndexWidget(index, bar);
        }
    }
    if (heightsChanged)
        scheduleDelayedItemsLayout();
}

DetailItemsView::Part DetailItemsView::partAt(const QPoint& point) const {
    const QModelIndex index = indexAt(point);
    if (!index.isValid())
        return Part::none;
    const DetailRow& row = rows_->row(index.row());
    if (row.kind == DetailRow::Kind::completedHeader)
        return Part::completedHeader;
    if (row.kind != DetailRow::Kind::item)
        return Part::none;
    const ItemRowGeometry g = ItemRowGeometry::of(visualRect(index), screen_.snapshot().canEdit);
    if (g.tick.contains(point))
        return Part::tick;
    if (!g.star.isEmpty() && g.star.contains(point))
        return Part::star;
    if (g.card.contains(point))
        return Part::text;
    return Part::none;
}

void DetailItemsView::mousePressEvent(QMouseEvent* event) {
    // A click on the items ends typing in the add field, and still acts on the row.
    screen_.tapList();
    // Clicks act on release, over the part they were pressed on; no selection is made.
    if (event->button() == Qt::LeftButton) {
        pressed_ = indexAt(event->position().toPoint());
        pressedPart_ = partAt(event->position().toPoint());
    }
    event->accept();
}

void DetailItemsView::mouseMoveEvent(QMouseEvent* event) {
    const Part part = partAt(event->position().toPoint());
    viewport()->setCursor(part == Part::none ? Qt::ArrowCursor : Qt::PointingHandCursor);
    event->accept();
}

void DetailItemsView::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void DetailItemsView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    if (const auto button = swipe_->buttonAt(at)) {
        swipeAction(index, button->first == RowSwipeController::Edge::leading);
        event->accept();
        return;
    }
    if (swipe_->isOpen()) {
        // A click elsewhere only closes the open row.
        swipe_->close();
        event->accept();
        return;
    }
    const Part part = partAt(at);
    if (index.isValid() && index == pressed_ && part == pressedPart_)
        act(index, part);
    pressed_ = QPersistentModelIndex();
    pressedPart_ = Part::none;
    event->accept();
}

void DetailItemsView::drop(int row, int destination) {
    // The drop's place counts rows of the view; the store counts the open items shown.
    int first = -1;
    for (int i = 0; i < rows_->rowCount() && first < 0; ++i)
        if (rows_->row(i).openOffset == 0)
            first = i;
    const int from = rows_->row(row).openOffset;
    if (first < 0 || from < 0)
        return;
    const int count = int(screen_.snapshot().outstanding.size());
    screen_.moveOpenItem(from, std::clamp(destination - first, 0, count));
}

void DetailItemsView::swipeAction(const QModelIndex& index, bool leading) {
    const QString itemID = rows_->row(index.row()).item.id;
    swipe_->close();
    if (leading)
        screen_.toggleStar(itemID);
    else
        screen_.deleteItem(itemID);
}

void DetailItemsView::act(const QModelIndex& index, Part part) {
    const DetailRow& row = rows_->row(index.row());
    const QString itemID = row.item.id;
    switch (part) {
    case Part::tick:
        screen_.tick(itemID); // does nothing on a list that may not be changed
        break;
    case Part::star:
        screen_.toggleStar(itemID);
        break;
    case Part::text:
        screen_.openItem(itemID);
        break;
    case Part::completedHeader:
        screen_.toggleCompleted();
        break;
    case Part::none:
        break;
    }
}

QMenu* DetailItemsView::menuFor(const QModelIndex& index) {
    if (!index.isValid() || !screen_.mayWrite())
        return nullptr;
    const DetailRow& row = rows_->row(index.row());
    if (row.kind != DetailRow::Kind::item)
        return nullptr;
    auto* menu = new QMenu(this);
    const QString itemID = row.item.id;
    menu->addAction(ItemRowText::starAction(row.item),
                    [this, itemID] { screen_.toggleStar(itemID); });
    menu->addSeparator();
    menu->addAction(ItemRowText::deleteAction(), [this, itemID] { screen_.deleteItem(itemID); });
    return menu;
}

void DetailItemsView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = menuFor(indexAt(event->pos()));
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void DetailItemsView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && swipe_->isOpen()) {
        swipe_->close();
        return;
    }
    // Return on an item opens it, as a click on its words does.
    const QModelIndex current = currentIndex();
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && current.isValid() &&
        rows_->row(current.row()).kind == DetailRow::Kind::item) {
        act(current, Part::text);
        return;
    }
    QListView::keyPressEvent(event);
}

void DetailItemsView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    // Row heights depend on the width: the delegate re-measures when the width changed.
    scheduleDelayedItemsLayout();
}

// --- What a screen reader finds ---

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
    return rows_->row(row).kind == DetailRow::Kind::groupHeading ? QAccessible::StaticText
                                                                 : QAccessible::ListItem;
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
