// The lists page's list view: clicks, menus, keys, drags, swipes and a steady scroll position.
#include "PageListView.h"

#include "ListsScreenModel.h"
#include "PageRowDelegate.h"
#include "ui/components/MenuPopup.h"
#include "ui/components/OverlayScrollBar.h"
#include "ui/components/PlainText.h"
#include "ui/components/RowDragController.h"
#include "ui/components/RowSwipeController.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>

PageListView::PageListView(ListsScreenModel& screen, QWidget* parent)
    : QListView(parent), screen_(screen) {
    AccessibleRows::install();
    setObjectName(QStringLiteral("listsPageRows"));
    delegate_ = new PageRowDelegate(screen_.rows(), this);
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::NoSelection);
    // Before the model: with rows in place, a change of scroll mode lays every row out at once,
    // measuring each, and the first show does it all again.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setModel(&screen_.rows());
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(24);
    // Over the page's side margin: the cards keep the width a scroll bar would take.
    new OverlayScrollBar(this);

    drag_ = new RowDragController(this);
    drag_->setLineColour([] { return Theme::Colour::primary.resolved(); });
    drag_->setCanDrag([this](const QModelIndex& index, const QPoint& at) {
        const QRect rect = visualRect(index);
        return screen_.offersChanges() && !swipe_->isOpen() &&
               !delegate_->removeButtonRect(rect, index.row()).contains(at) &&
               !delegate_->pencilRect(rect, index.row()).contains(at);
    });
    connect(drag_, &RowDragController::dropped, this,
            [this](int row, int destination) { screen_.moveRows({row}, destination); });

    swipe_ = new RowSwipeController(this);
    swipe_->setSides([this](const QModelIndex& index) {
        RowSwipeController::Sides sides;
        const RowCommands leading = screen_.rows().leadingSwipe(index.row());
        const RowCommands trailing = screen_.rows().trailingSwipe(index.row());
        sides.leadingButtons = int(leading.size());
        sides.trailingButtons = int(trailing.size());
        sides.leadingFullSwipe = !leading.isEmpty() && leading.first().allowsFullSwipe;
        sides.trailingFullSwipe = !trailing.isEmpty() && trailing.first().allowsFullSwipe;
        return sides;
    });
    swipe_->setMargins([this](const QModelIndex& index) {
        const QRect row = visualRect(index);
        const QRect card = delegate_->cardRect(row, index.row());
        return QMargins(card.left() - row.left(), card.top() - row.top(),
                        row.right() - card.right(), row.bottom() - card.bottom());
    });
    connect(swipe_, &RowSwipeController::fullSwipe, this,
            [this](const QModelIndex& index, RowSwipeController::Edge edge) {
                const RowCommands commands = edge == RowSwipeController::Edge::leading
                                                 ? screen_.rows().leadingSwipe(index.row())
                                                 : screen_.rows().trailingSwipe(index.row());
                if (!commands.isEmpty())
                    screen_.perform(index.data(PageRowModel::IdRole).toString(),
                                    commands.first().action);
            });
    delegate_->setControllers(drag_, swipe_);

    connect(&screen_, &ListsScreenModel::changed, this, &PageListView::editingChanged);
    // A new name or count may take another number of lines: the page is laid out again when a
    // changed row's height is not the one it has.
    connect(&screen_.rows(), &QAbstractItemModel::dataChanged, this, &PageListView::remeasureRows);
    // One refresh may remove, insert and rearrange: the anchor is taken before the first and
    // put back after the last, when the view is laid out again.
    connect(&screen_.rows(), &PageRowModel::rowsAboutToChange, this, &PageListView::rememberAnchor);
    connect(&screen_.rows(), &PageRowModel::rowsChanged, this, &PageListView::restoreAnchor);
    // A screen reader keeps the rows' names it was told: a new name or count is told again.
    connect(&screen_.rows(), &PageRowModel::rowsRenamed, this, [this](const QList<int>& rows) {
        for (int row : rows)
            AccessibleRows::announceRenamed(this, row);
    });
}

void PageListView::setSplit(bool split) {
    split_ = split;
    viewport()->update();
}

void PageListView::editingChanged() {
    if (screen_.editing() == lastEditing_)
        return;
    lastEditing_ = screen_.editing();
    // Swipes are off in edit mode, where the rows show their own buttons.
    swipe_->close();
    swipe_->setEnabled(!lastEditing_);
    delegate_->editingChanged();
}

void PageListView::rememberAnchor() {
    anchorID_.clear();
    executeDelayedItemsLayout();
    const QModelIndex top = indexAt(QPoint(viewport()->width() / 2, 1));
    if (!top.isValid() || verticalScrollBar()->value() == 0)
        return;
    anchorID_ = top.data(PageRowModel::IdRole).toString();
    anchorTop_ = visualRect(top).top();
}

void PageListView::restoreAnchor() {
    if (anchorID_.isEmpty())
        return;
    const int row = screen_.rows().rowOf(anchorID_);
    anchorID_.clear();
    if (row < 0)
        return;
    executeDelayedItemsLayout();
    const int now = visualRect(screen_.rows().index(row)).top();
    verticalScrollBar()->setValue(verticalScrollBar()->value() + now - anchorTop_);
}

void PageListView::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(viewport());
        painter.fillRect(viewport()->rect(), split_ ? Theme::Colour::sidebarSurface.resolved()
                                                    : Theme::Colour::listsPageSurface.resolved());
    }
    QListView::paintEvent(event);
}

void PageListView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    // Names wrap to the width: another width, other row heights.
    if (event->size().width() != event->oldSize().width())
        scheduleDelayedItemsLayout();
}

void PageListView::remeasureRows(const QModelIndex& top, const QModelIndex& bottom) {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    for (int row = top.row(); row <= bottom.row(); ++row) {
        const QModelIndex index = model()->index(row, 0);
        if (visualRect(index).height() != delegate_->sizeHint(option, index).height()) {
            scheduleDelayedItemsLayout();
            return;
        }
    }
}

void PageListView::showFocusRing(bool visible) {
    if (delegate_->focusVisible() == visible)
        return;
    delegate_->setFocusVisible(visible);
    viewport()->update();
}

void PageListView::focusInEvent(QFocusEvent* event) {
    // Tabbing in shows where the keyboard is; a click or the window coming back does not.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason ||
        event->reason() == Qt::ShortcutFocusReason)
        showFocusRing(true);
    else if (event->reason() == Qt::MouseFocusReason)
        showFocusRing(false);
    quietCurrent_ = true;
    QListView::focusInEvent(event);
    quietCurrent_ = false;
    // Qt tells of the rows as a whole after this event (after a Tab back, a menu, a sheet):
    // the keyboard's row is told after it, the last thing a screen reader hears.
    tellFocusedRowLater();
}

void PageListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // Not QListView's: Qt 6.4's tells a screen reader that the new row has the focus even while
    // the keyboard is elsewhere.
    QAbstractItemView::currentChanged(current, previous);
    if (!quietCurrent_)
        tellFocusedRow();
}

void PageListView::tellFocusedRow() {
    focusToTell_ = false;
    const QModelIndex current = currentIndex();
    if (!QAccessible::isActive() || !hasFocus() || !current.isValid())
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(current.row()); // the rows are the list's children, in order
    QAccessible::updateAccessibility(&event);
}

void PageListView::tellFocusedRowLater() {
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

void PageListView::mousePressEvent(QMouseEvent* event) {
    showFocusRing(false);
    pressed_ =
        event->button() == Qt::LeftButton ? indexAt(event->position().toPoint()) : QModelIndex();
    QListView::mousePressEvent(event);
}

void PageListView::mouseMoveEvent(QMouseEvent* event) {
    // The drag controller owns moves with the button down; the view would only select.
    if (!(event->buttons() & Qt::LeftButton))
        QListView::mouseMoveEvent(event);
}

void PageListView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const QPersistentModelIndex pressed = pressed_;
    pressed_ = QModelIndex();
    QListView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !pressed.isValid() || indexAt(at) != pressed)
        return;
    clickAt(at);
}

void PageListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // A second click does what a click does; the view's own double click would open an editor.
    mousePressEvent(event);
}

void PageListView::clickAt(const QPoint& at) {
    const QModelIndex index = indexAt(at);
    if (!index.isValid())
        return;
    const QString id = index.data(PageRowModel::IdRole).toString();
    if (const auto button = swipe_->buttonAt(at)) {
        const RowCommands commands = button->first == RowSwipeController::Edge::leading
                                         ? screen_.rows().leadingSwipe(index.row())
                                         : screen_.rows().trailingSwipe(index.row());
        swipe_->close();
        if (button->second < commands.size())
            screen_.perform(id, commands[button->second].action);
        return;
    }
    const QRect rect = visualRect(index);
    if (delegate_->removeButtonRect(rect, index.row()).contains(at)) {
        screen_.perform(id, RowCommand::Action::remove);
        return;
    }
    if (delegate_->pencilRect(rect, index.row()).contains(at)) {
        screen_.perform(id, RowCommand::Action::editGroup);
        return;
    }
    setCurrentIndex(index);
    screen_.activate(id);
}

void PageListView::keyPressEvent(QKeyEvent* event) {
    showFocusRing(true);
    const QModelIndex current = currentIndex();
    const QString id =
        current.isValid() ? current.data(PageRowModel::IdRole).toString() : QString();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (current.isValid()) {
            screen_.activate(id);
            return;
        }
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (current.isValid() && !current.data(PageRowModel::IsHeaderRole).toBool()) {
            screen_.perform(id, RowCommand::Action::remove);
            return;
        }
        break;
    case Qt::Key_Escape:
        if (swipe_->isOpen()) {
            swipe_->close();
            return;
        }
        break;
    case Qt::Key_F10:
        // Shift+F10 asks for the row's menu, as the menu key does.
        if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
            popUpCurrentMenu();
            return;
        }
        break;
    default:
        break;
    }
    QListView::keyPressEvent(event);
}

QMenu* PageListView::menuForRow(int row) {
    auto* menu = new QMenu(this);
    const QString id = screen_.rows().index(row).data(PageRowModel::IdRole).toString();
    for (const RowCommand& command : screen_.rows().menu(row)) {
        if (command.action == RowCommand::Action::separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(PlainText::forButton(command.title));
        if (command.destructive) {
            action->setIcon(
                QIcon(Symbols::pixmap(QStringLiteral("trash"), 14, Theme::Colour::error.resolved(),
                                      devicePixelRatioF())));
        }
        const RowCommand::Action what = command.action;
        connect(action, &QAction::triggered, this, [this, id, what] { screen_.perform(id, what); });
    }
    return menu;
}

void PageListView::contextMenuEvent(QContextMenuEvent* event) {
    // The scroll area hands the viewport's event on: its position is in viewport coordinates.
    QModelIndex index = indexAt(event->pos());
    if (event->reason() == QContextMenuEvent::Keyboard || !index.isValid()) {
        popUpCurrentMenu();
        return;
    }
    popUpMenu(index, event->globalPos());
}

void PageListView::popUpCurrentMenu() {
    // Shown over the keyboard's row.
    const QModelIndex index = currentIndex();
    if (index.isValid())
        popUpMenu(index, viewport()->mapToGlobal(visualRect(index).center()));
}

void PageListView::popUpMenu(const QModelIndex& index, const QPoint& globalAt) {
    // A row with nothing to offer shows no menu at all, rather than an empty one.
    if (!index.isValid() || screen_.rows().menu(index.row()).isEmpty())
        return;
    swipe_->close();
    QMenu* menu = menuForRow(index.row());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // No nested event loop: the store may change while it is open.
    MenuPopup::open(menu, globalAt);
}

QString PageListView::rowKey(int row) const {
    return screen_.rows().content(row).id();
}

int PageListView::rowOfKey(const QString& key) const {
    return screen_.rows().rowOf(key);
}

QAccessible::Role PageListView::rowRole(int row) const {
    return screen_.rows().content(row).isHeader() ? QAccessible::Button : QAccessible::ListItem;
}

QAccessible::State PageListView::rowState(int row) const {
    QAccessible::State state;
    const PageRowModel& rows = screen_.rows();
    state.focusable = true;
    state.focused = hasFocus() && currentIndex().row() == row;
    if (rows.content(row).isHeader()) {
        state.expandable = true;
        state.expanded = !rows.content(row).collapsed;
        state.collapsed = rows.content(row).collapsed;
    } else {
        state.selectable = true;
        state.selected = rows.listRow(row).selected;
    }
    return state;
}

QStringList PageListView::rowActions(int row) const {
    const PageRowModel& rows = screen_.rows();
    QStringList names;
    // In edit mode a list's row does not open.
    if (rows.content(row).isHeader() || !rows.editing())
        names.append(QAccessibleActionInterface::pressAction());
    for (const RowCommand& command : rows.accessibleActions(row))
        names.append(command.title);
    return names;
}

void PageListView::doRowAction(int row, const QString& name) {
    const QString id = rowKey(row);
    if (name == QAccessibleActionInterface::pressAction()) {
        screen_.activate(id);
        return;
    }
    for (const RowCommand& command : screen_.rows().accessibleActions(row)) {
        if (command.title == name) {
            screen_.perform(id, command.action);
            return;
        }
    }
}

QList<AccessibleRows::Control> PageListView::rowControls(int row) const {
    const PageRowModel& rows = screen_.rows();
    if (!rows.editing())
        return {};
    const QRect rect = visualRect(rows.index(row));
    const QString id = rows.content(row).id();
    ListsScreenModel* screen = &screen_;
    const auto press = [screen, id](RowCommand::Action action) {
        return AccessibleAction{QAccessibleActionInterface::pressAction(),
                                [screen, id, action] { screen->perform(id, action); }};
    };
    if (rows.content(row).isHeader())
        return {{QStringLiteral("pencil"),
                 {rows.header(row).pencilLabel,
                  {},
                  {},
                  AccessibleTrait::button,
                  {press(RowCommand::Action::editGroup)}},
                 delegate_->pencilRect(rect, row)}};
    return {{QStringLiteral("remove"),
             {rows.listRow(row).removeButtonLabel,
              {},
              {},
              AccessibleTrait::button,
              {press(RowCommand::Action::remove)}},
             delegate_->removeButtonRect(rect, row)}};
}
