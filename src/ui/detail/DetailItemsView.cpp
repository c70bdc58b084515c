// The list's scrolling content.
#include "DetailItemsView.h"

#include "DetailRowDelegate.h"
#include "DetailRowModel.h"
#include "ItemRowGeometry.h"
#include "ItemRowText.h"
#include "ListDetailModel.h"
#include "ListHeroView.h"
#include "TagFilterBar.h"
#include "ui/components/FocusOrder.h"
#include "ui/components/MenuPopup.h"
#include "ui/components/PaintedButton.h"
#include "ui/components/RowDragController.h"
#include "ui/components/RowSwipeController.h"
#include "ui/theme/ThemeColour.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <utility>

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
    setEditTriggers(QAbstractItemView::NoEditTriggers);
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

    connect(rows_, &DetailRowModel::rowsAboutToBeReplaced, swipe_, &RowSwipeController::close);
    connect(rows_, &DetailRowModel::rowsAboutToBeReplaced, this, &DetailItemsView::rememberCurrent);
    connect(rows_, &DetailRowModel::rowsReplaced, this, [this] {
        followRights();
        placeWidgets();
        restoreCurrent();
        followKeyRows();
    });
    // The header or a chip taking the focus by Tab brings its row into sight.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now || !viewport()->isAncestorOf(now))
            return;
        // The control that had the focus, made again in its place, is in sight already.
        if (restoringWidgetFocus_)
            return;
        for (const DetailRow::Kind kind : {DetailRow::Kind::hero, DetailRow::Kind::filterBar}) {
            const QModelIndex index = rows_->index(rows_->rowOf(kind));
            const QWidget* widget = index.isValid() ? indexWidget(index) : nullptr;
            if (widget && (widget == now || widget->isAncestorOf(now)))
                scrollTo(index);
        }
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
    // The rights can change while the rows stay the same ones (a share made read-only on
    // another device): after the rows have followed the refresh, their controls follow too.
    connect(&screen_, &ListDetailModel::refreshed, this, &DetailItemsView::followRights);
    connect(&screen_, &ListDetailModel::aboutToRefresh, this, &DetailItemsView::rowsAboutToFollow);
    connect(&screen_, &ListDetailModel::refreshed, this, &DetailItemsView::announceRowChanges);
    connect(&screen_, &ListDetailModel::revealItem, this, &DetailItemsView::reveal);
    // A screen reader says which list's items these are.
    const auto followName = [this] {
        // Set only when it changes: each setting is announced to a screen reader.
        if (accessibleName() != screen_.snapshot().itemsLabel)
            setAccessibleName(screen_.snapshot().itemsLabel);
    };
    connect(&screen_, &ListDetailModel::refreshed, this, followName);
    followName();
    placeWidgets();
    followKeyRows();
}

void DetailItemsView::followRights() {
    // Drawn as they are hit: partAt() and the delegate read the same rights.
    const bool canEdit = screen_.snapshot().canEdit;
    if (delegate_->withStar() != canEdit) {
        delegate_->setWithStar(canEdit);
        // Without the star the words have more room: row heights change.
        scheduleDelayedItemsLayout();
        viewport()->update();
    }
    // What was begun under the old rights offers nothing the list no longer allows: a lifted
    // row is put back, an open swipe closes with its buttons, and an open menu goes.
    drag_->setEnabled(screen_.canDrag());
    if (!screen_.mayWrite()) {
        swipe_->close();
        if (menu_)
            menu_->close();
    }
}

void DetailItemsView::followKeyRows() {
    // Without a row to rest on, Tab passes the rows by; a click still takes the focus (from the
    // add field, for one).
    setFocusPolicy(hasKeyRows() ? Qt::StrongFocus : Qt::ClickFocus);
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
    keepWidgetFocus();
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
            watchClicks(fresh);
            setIndexWidget(index, fresh);
            heightsChanged = true;
        }
    }
    const int filterRow = rows_->rowOf(DetailRow::Kind::filterBar);
    if (filterRow >= 0) {
        const QModelIndex index = rows_->index(filterRow);
        if (auto* old = qobject_cast<TagFilterBar*>(indexWidget(index))) {
            // In place, where the user had scrolled them: a chip that stays is not made again.
            if (old->chips() != snapshot.chips) {
                const int before = old->heightForWidth(viewport()->width());
                old->setChips(snapshot.chips);
                watchClicks(old);
                heightsChanged |= old->heightForWidth(viewport()->width()) != before;
            }
        } else {
            auto* bar = new TagFilterBar(snapshot.chips);
            heightsChanged = true;
            connect(bar, &TagFilterBar::groupingToggled, &screen_,
                    &ListDetailModel::toggleGrouping);
            connect(bar, &TagFilterBar::tagToggled, &screen_, &ListDetailModel::toggleTag);
            watchClicks(bar);
            setIndexWidget(index, bar);
        }
    }
    if (heightsChanged)
        scheduleDelayedItemsLayout();
    restoreWidgetFocus();
}

void DetailItemsView::watchClicks(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* inside : widget->findChildren<QWidget*>())
        inside->installEventFilter(this);
}

bool DetailItemsView::eventFilter(QObject* watched, QEvent* event) {
    // A click on the header or a chip is the pointer in use, as one on a row is: the keyboard's
    // row loses its ring, and the rows made again by the chip stay where they are instead of
    // scrolling to that row under the pointer.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        setFocusVisible(false);
    // Qt makes the row of a widget that takes the focus the current one: the keyboard's row
    // would become the header's, and the keyboard coming back to the rows would land on the
    // first item instead of the one it left. The header and the chips are no rows to land on.
    if (event->type() == QEvent::FocusIn && watched != this && watched != viewport())
        return false;
    return QListView::eventFilter(watched, event);
}

void DetailItemsView::keepWidgetFocus() {
    QWidget* focus = QApplication::focusWidget();
    if (keptFocus_ || !focus)
        return;
    if (QWidget* hero = heroView(); hero && hero == focus) {
        keptFocus_ = KeptFocus{true, {}, 0, true};
    } else if (TagFilterBar* bar = filterBar()) {
        const int place = bar->placeOf(focus);
        if (place < 0)
            return;
        const auto* chip = qobject_cast<const PaintedButton*>(bar->chipButtons().at(place));
        keptFocus_ =
            KeptFocus{false, bar->chips().at(place).tag, place, !chip || chip->showsFocusRing()};
    }
}

void DetailItemsView::restoreWidgetFocus() {
    const std::optional<KeptFocus> kept = std::exchange(keptFocus_, std::nullopt);
    if (!kept)
        return;
    QWidget* to = nullptr;
    if (kept->hero) {
        to = heroView();
    } else if (TagFilterBar* bar = filterBar(); bar && !bar->chipButtons().isEmpty()) {
        int place = bar->placeOfTag(kept->tag);
        if (place < 0)
            place = std::min(kept->place, int(bar->chipButtons().size()) - 1);
        to = bar->chipButtons().at(place);
    }
    if (to && !FocusOrder::takesTab(to))
        to = nullptr; // a header that no longer opens the list editor
    if (to) {
        if (QApplication::focusWidget() != to) {
            restoringWidgetFocus_ = true;
            to->setFocus(kept->ring ? Qt::OtherFocusReason : Qt::MouseFocusReason);
            restoringWidgetFocus_ = false;
        }
        return;
    }
    // The control went: the rows around it have the focus, as after a sheet that it opened.
    if (FocusOrder::takesTab(this))
        setFocus(Qt::OtherFocusReason);
    else
        focusNextChild();
}

bool DetailItemsView::focusNextPrevChild(bool next) {
    // A header or a chip made again hides the old one; the focus waits for the new one.
    if (keptFocus_)
        return true;
    return QListView::focusNextPrevChild(next);
}

QWidget* DetailItemsView::heroView() const {
    const int row = rows_->rowOf(DetailRow::Kind::hero);
    return row >= 0 ? indexWidget(rows_->index(row)) : nullptr;
}

TagFilterBar* DetailItemsView::filterBar() const {
    const int row = rows_->rowOf(DetailRow::Kind::filterBar);
    return row >= 0 ? qobject_cast<TagFilterBar*>(indexWidget(rows_->index(row))) : nullptr;
}

// --- The keyboard ---

bool DetailItemsView::takesKeys(int row) const {
    if (row < 0 || row >= rows_->rowCount())
        return false;
    const DetailRow::Kind kind = rows_->row(row).kind;
    return kind == DetailRow::Kind::item || kind == DetailRow::Kind::completedHeader;
}

bool DetailItemsView::hasKeyRows() const {
    return keyRowFrom(0, 1) >= 0;
}

int DetailItemsView::keyRowFrom(int row, int direction) const {
    for (int i = row; i >= 0 && i < rows_->rowCount(); i += direction)
        if (takesKeys(i))
            return i;
    return -1;
}

void DetailItemsView::setFocusVisible(bool visible) {
    if (focusVisible_ == visible)
        return;
    focusVisible_ = visible;
    delegate_->setFocusVisible(visible);
    viewport()->update();
}

QModelIndex DetailItemsView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = currentIndex();
    const int at = current.isValid() ? current.row() : -1;
    const int last = rows_->rowCount() - 1;
    int row = -1;
    switch (action) {
    case MoveUp:
    case MovePrevious:
        row = at < 0 ? keyRowFrom(last, -1) : keyRowFrom(at - 1, -1);
        break;
    case MoveDown:
    case MoveNext:
        row = keyRowFrom(at + 1, 1);
        break;
    case MoveHome:
        row = keyRowFrom(0, 1);
        break;
    case MoveEnd:
        row = keyRowFrom(last, -1);
        break;
    case MovePageUp:
    case MovePageDown: {
        const QModelIndex paged = QListView::moveCursor(action, modifiers);
        const int direction = action == MovePageDown ? 1 : -1;
        if (paged.isValid()) {
            row = keyRowFrom(paged.row(), direction);
            if (row < 0)
                row = keyRowFrom(paged.row(), -direction);
        }
        break;
    }
    case MoveLeft:
    case MoveRight:
        break;
    }
    // At an end, or sideways, the keyboard stays on its row.
    if (row < 0)
        return takesKeys(at) ? current : QModelIndex();
    return rows_->index(row);
}

void DetailItemsView::keyboardSearch(const QString& search) {
    // Typing finds an item by its words; a heading it finds hands on to the first item below.
    QListView::keyboardSearch(search);
    const QModelIndex current = currentIndex();
    if (current.isValid() && !takesKeys(current.row())) {
        int row = keyRowFrom(current.row(), 1);
        if (row < 0)
            row = keyRowFrom(current.row(), -1);
        setCurrentIndex(row >= 0 ? rows_->index(row) : QModelIndex());
    }
}

void DetailItemsView::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    // A click does not ring the row; the keyboard, or the program putting the focus back, does;
    // the window or a menu coming and going leaves the ring as it was.
    if (reason == Qt::MouseFocusReason)
        setFocusVisible(false);
    else if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        setFocusVisible(true);
    // The keyboard's row is told once Qt has told of the rows as a whole, after this event.
    quietCurrent_ = true;
    QListView::focusInEvent(event);
    const QModelIndex current = currentIndex();
    if (reason != Qt::MouseFocusReason && !takesKeys(current.row())) {
        const int from = current.isValid() ? current.row() : 0;
        int row = keyRowFrom(from, 1);
        if (row < 0)
            row = keyRowFrom(from, -1);
        if (row >= 0)
            setCurrentIndex(rows_->index(row));
    }
    quietCurrent_ = false;
    tellFocusedRowLater();
    if (focusVisible_ && currentIndex().isValid())
        scrollTo(currentIndex());
}

void DetailItemsView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // Not QListView's: Qt 6.4's tells a screen reader that the new row has the focus even while
    // the keyboard is elsewhere (in the add field, in an item's editor).
    QAbstractItemView::currentChanged(current, previous);
    if (!quietCurrent_)
        tellFocusedRow();
}

void DetailItemsView::tellFocusedRow() {
    focusToTell_ = false;
    const QModelIndex current = currentIndex();
    if (!QAccessible::isActive() || !hasFocus() || !takesKeys(current.row()))
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(current.row()); // the rows are the list's children, in order
    QAccessible::updateAccessibility(&event);
}

void DetailItemsView::tellFocusedRowLater() {
    if (focusToTell_)
        return;
    focusToTell_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (focusToTell_)
                tellFocusedRow();
        },
        Qt::QueuedConnection);
}

void DetailItemsView::rememberCurrent() {
    // Before the rows go, the header's or the chips' among them.
    keepWidgetFocus();
    keptKey_.clear();
    keptPlace_ = -1;
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    if (takesKeys(current.row())) {
        keptKey_ = rows_->row(current.row()).key();
        keptPlace_ = 0;
        for (int i = 0; i < current.row(); ++i)
            keptPlace_ += takesKeys(i) ? 1 : 0;
    }
    // Until restoreCurrent() puts it back: a row going would otherwise move the keyboard to its
    // neighbour (and scroll there) on the way.
    quietCurrent_ = true;
    selectionModel()->clearCurrentIndex();
    quietCurrent_ = false;
}

void DetailItemsView::restoreCurrent() {
    if (keptPlace_ < 0)
        return;
    int row = rowOfKey(keptKey_);
    if (!takesKeys(row)) {
        // Its row went: the one that took its place has the keyboard, or the last one.
        row = -1;
        int place = 0;
        for (int i = 0; i < rows_->rowCount() && place <= keptPlace_; ++i) {
            if (takesKeys(i)) {
                row = i;
                ++place;
            }
        }
    }
    const bool sameRow = row >= 0 && rowKey(row) == keptKey_;
    keptKey_.clear();
    keptPlace_ = -1;
    if (row < 0)
        return;
    // Scrolled to only while the keyboard is here: a click's tick keeps the place in view.
    const bool scroll = hasAutoScroll();
    setAutoScroll(scroll && hasFocus() && focusVisible_);
    quietCurrent_ = true;
    setCurrentIndex(rows_->index(row));
    quietCurrent_ = false;
    setAutoScroll(scroll);
    // Another row with the keyboard is told once the screen reader has heard what the rows
    // became (the completed header's new count before the keyboard lands on it); the same one
    // is not told again.
    if (!sameRow)
        tellFocusedRowLater();
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
    setFocusVisible(false);
    // Clicks act on release, over the part they were pressed on; no selection is made. The row
    // becomes the keyboard's, without scrolling under the pointer.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (takesKeys(index.row())) {
        const bool scroll = hasAutoScroll();
        setAutoScroll(false);
        setCurrentIndex(index);
        setAutoScroll(scroll);
    }
    if (event->button() == Qt::LeftButton) {
        pressed_ = index;
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

void DetailItemsView::popUpMenu(const QModelIndex& index, const QPoint& globalAt) {
    QMenu* menu = menuFor(index);
    if (!menu)
        return;
    swipe_->close();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu_ = menu;
    // No nested event loop: the store may change while it is open.
    MenuPopup::open(menu, globalAt);
}

void DetailItemsView::contextMenuEvent(QContextMenuEvent* event) {
    // The menu key asks for the menu of the keyboard's row, shown over that row.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QModelIndex current = currentIndex();
        if (current.isValid())
            popUpMenu(current, viewport()->mapToGlobal(visualRect(current).center()));
        return;
    }
    // The scroll area hands the viewport's event on: its position is in viewport coordinates.
    const QModelIndex index = indexAt(event->pos());
    if (takesKeys(index.row())) {
        const bool scroll = hasAutoScroll();
        setAutoScroll(false);
        setCurrentIndex(index);
        setAutoScroll(scroll);
    }
    popUpMenu(index, event->globalPos());
}

void DetailItemsView::keyPressEvent(QKeyEvent* event) {
    setFocusVisible(true);
    if (event->key() == Qt::Key_Escape && swipe_->isOpen()) {
        swipe_->close();
        return;
    }
    const QModelIndex current = currentIndex();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (takesKeys(current.row()) && modifiers == Qt::NoModifier) {
        const DetailRow& row = rows_->row(current.row());
        const bool item = row.kind == DetailRow::Kind::item;
        switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Select:
            // Space ticks, as a click on the tick does (held down, it ticks once).
            if (!event->isAutoRepeat())
                act(current, item ? Part::tick : Part::completedHeader);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Return opens, as a click on the words does.
            if (!event->isAutoRepeat())
                act(current, item ? Part::text : Part::completedHeader);
            return;
        case Qt::Key_Delete:
            if (item) {
                screen_.deleteItem(row.item.id); // as the menu's Delete; nothing when view only
                return;
            }
            break;
        default:
            break;
        }
    }
    if (takesKeys(current.row()) && event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier) {
        popUpMenu(current, viewport()->mapToGlobal(visualRect(current).center()));
        return;
    }
    QListView::keyPressEvent(event);
}

void DetailItemsView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    // Row heights depend on the width: the delegate re-measures when the width changed.
    scheduleDelayedItemsLayout();
}
