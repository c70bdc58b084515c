// The window's content: the sidebar, the detail column and what it shows, the lists page's
// sheets.
#include "ui/window/WindowContent.h"

#include "store/ListStore.h"
#include "ui/components/FocusOrder.h"
#include "ui/components/NoteField.h"
#include "ui/detail/DetailItemsView.h"
#include "ui/detail/DetailRowModel.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/detail/ListDetailView.h"
#include "ui/item/CloudAuthorShare.h"
#include "ui/item/ItemEditorView.h"
#include "ui/item/ItemNameField.h"
#include "ui/item/NoteComposer.h"
#include "ui/item/NotesSectionView.h"
#include "ui/item/NotesThreadModel.h"
#include "ui/lists/ListsPane.h"
#include "ui/lists/ListsPaneFactory.h"
#include "ui/lists/ListsScreenModel.h"
#include "ui/window/ListPlaceholderModel.h"
#include "ui/window/ListPlaceholderPane.h"
#include "ui/window/ListSelection.h"
#include "ui/window/WindowMetrics.h"
#include "ui/window/WindowNavigation.h"
#include "ui/window/WindowSheets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

WindowSheet windowSheet(ListsScreenModel::Sheet sheet) {
    switch (sheet) {
    case ListsScreenModel::Sheet::settings:
        return WindowSheet::settings;
    case ListsScreenModel::Sheet::createList:
        return WindowSheet::createList;
    case ListsScreenModel::Sheet::editList:
        return WindowSheet::editList;
    case ListsScreenModel::Sheet::groupEditor:
        break;
    }
    return WindowSheet::groupEditor;
}

} // namespace

WindowContent::WindowContent(ListStore& store, WindowNavigation& navigation, WindowSheets& sheets,
                             ListDetailModel& listScreen, VoiceController* voice, QWidget* parent)
    : QWidget(parent), store_(store), navigation_(navigation), sheets_(sheets),
      splitter_(new QSplitter(this)),
      sidebar_(makeListsPane(store, navigation.openListID(), voice)), detail_(new QStackedWidget),
      placeholder_(nullptr), listScreen_(listScreen), listView_(nullptr) {
    setMinimumSize(WindowMetrics::minimumContentSize);

    // The lists page highlights the open list's row; a list it opens is the window's, and one
    // the window opens (or keeps open over a rebuild) is shown on the page.
    ListsScreenModel& lists = sidebar_->screen();
    lists.setSplit(true);
    connect(&lists, &ListsScreenModel::openListChanged, this,
            [this] { navigation_.setOpenListID(sidebar_->screen().openListID()); });
    connect(&navigation_, &WindowNavigation::openListIDChanged, this,
            [this] { sidebar_->screen().followOpenList(navigation_.openListID()); });
    sidebar_->setMinimumWidth(PlatformChrome::sidebarMinimumWidth);
    sidebar_->setMaximumWidth(PlatformChrome::sidebarMaximumWidth);

    detail_->setMinimumWidth(WindowMetrics::detailMinimumWidth);
    detail_->setProperty(inDetailPaneProperty, true);
    ListPlaceholderModel placeholder;
    placeholder.onNewList = [this] { sidebar_->screen().requestNewList(); };
    placeholder_ = new ListPlaceholderPane(placeholder);
    detail_->addWidget(placeholder_);
    listView_ = new ListDetailView(listScreen_);
    detail_->addWidget(listView_);

    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(sidebar_);
    splitter_->addWidget(detail_);
    // A wider window widens the open list; the sidebar keeps its width.
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({PlatformChrome::sidebarIdealWidth,
                         WindowMetrics::defaultSize.width() - PlatformChrome::sidebarIdealWidth});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);

    connect(&store_, &ListStore::changed, this, &WindowContent::scheduleDetailRefresh);
    connect(&navigation_, &WindowNavigation::openListIDChanged, this,
            &WindowContent::scheduleDetailRefresh);
    connect(&listScreen_, &ListDetailModel::stateChanged, this,
            &WindowContent::scheduleDetailRefresh);
    connect(&sheets_, &WindowSheets::added, this, &WindowContent::offerSheets);
    offerSheets();
    refreshDetail();
}

void WindowContent::offerSheets() {
    using Sheet = ListsScreenModel::Sheet;
    for (Sheet sheet : {Sheet::settings, Sheet::createList, Sheet::editList, Sheet::groupEditor}) {
        if (!sheets_.has(windowSheet(sheet)))
            continue;
        sidebar_->setPresenter(sheet, [this, sheet](QWidget* parent) {
            const ListsScreenModel& lists = sidebar_->screen();
            WindowSheetSubject subject;
            subject.list = lists.editingList();
            subject.group = lists.collectionEditor();
            return sheets_.make(windowSheet(sheet), subject, parent);
        });
    }
    const bool newList = sheets_.has(WindowSheet::createList) && sidebar_->screen().offersNewList();
    placeholder_->newListButton()->setVisible(newList);
    placeholder_->addButton()->setVisible(newList);
}

void WindowContent::replaceItemEditor(ItemEditorView* editor) {
    if (itemEditor_) {
        // Hidden first, so the name it holds is written while the store is sure to be there;
        // deleted later, as its Back may still be on the stack.
        detail_->removeWidget(itemEditor_);
        itemEditor_->hide();
        itemEditor_->deleteLater();
    }
    itemEditor_ = editor;
    if (!editor)
        return;
    detail_->addWidget(editor);
    connect(editor, &ItemEditorView::closeRequested, &listScreen_, &ListDetailModel::closeItem);
    // A note author's button asks for the person name sheet, which the window shows.
    NotesThreadModel* notes = &editor->model().notes();
    connect(notes, &NotesThreadModel::personRequested, editor,
            [this, editor, notes](const PersonRoute& person) {
                WindowSheetSubject subject;
                subject.person = person;
                sheets_.present(WindowSheet::person, subject, editor, notes,
                                [notes] { notes->closePerson(); });
            });
}

QList<QWidget*> WindowContent::focusStops() const {
    QList<QWidget*> stops;
    if (!sidebar_->isHidden())
        stops = sidebar_->focusStops();
    if (itemEditor_ && detail_->currentWidget() == itemEditor_)
        stops += itemEditor_->focusStops();
    else if (detail_->currentWidget() == listView_)
        stops += listView_->focusStops();
    else
        stops += FocusOrder::inReadingOrder(placeholder_);
    return stops;
}

bool WindowContent::focusNextPrevChild(bool next) {
    const QList<QWidget*> stops = focusStops();
    const int at = FocusOrder::stopOf(stops, QApplication::focusWidget());
    if (at < 0)
        return QWidget::focusNextPrevChild(next);
    int to = FocusOrder::nextStop(stops, at, next);
    if (to < 0) {
        // Past the end: the window's controls outside the content come next, when it has any.
        QList<QWidget*> outside;
        for (QWidget* widget = window()->nextInFocusChain(); widget && widget != window();
             widget = widget->nextInFocusChain())
            if (!isAncestorOf(widget) && FocusOrder::takesTab(widget))
                outside.append(widget);
        if (!outside.isEmpty()) {
            FocusOrder::focus(next ? outside.first() : outside.last(), next);
            return true;
        }
        to = FocusOrder::nextStop(stops, next ? -1 : int(stops.size()), next);
    }
    if (to < 0)
        return false;
    FocusOrder::focus(stops.at(to), next);
    return true;
}

bool WindowContent::showsPlaceholder() const {
    return detail_->currentWidget() == placeholder_;
}

bool WindowContent::sidebarVisible() const {
    return !sidebar_->isHidden();
}

void WindowContent::setSidebarVisible(bool visible) {
    sidebar_->setVisible(visible);
}

QList<int> WindowContent::splitterSizes() const {
    return splitter_->sizes();
}

void WindowContent::setSplitterSizes(const QList<int>& sizes) {
    // Sizes are shares of the splitter's width, so a splitter not yet laid out first takes the
    // width they were measured in.
    int total = splitter_->handleWidth() * (int(sizes.size()) - 1);
    for (int size : sizes)
        total += size;
    if (splitter_->width() != total)
        splitter_->resize(total, splitter_->height());
    splitter_->setSizes(sizes);
}

void WindowContent::takeDraftsFrom(const WindowContent& old, const QWidget* focused) {
    if (!old.itemEditor_ || !itemEditor_ ||
        !(old.itemEditor_->model().route() == itemEditor_->model().route()))
        return;
    itemEditor_->model().notes().restoreDraft(old.itemEditor_->model().notes().draft());
    // The name needs nothing: the old editor writes an edited name as it goes, and this one
    // follows the store.
    if (focused && focused == &old.itemEditor_->notes().composer().field())
        itemEditor_->notes().composer().field().setFocus();
    else if (focused && focused == &old.itemEditor_->nameField())
        itemEditor_->nameField().setFocus();
}

void WindowContent::refreshDatedTexts() {
    sidebar_->screen().refreshDates();
    detail_->update();
}

bool WindowContent::isInDetailPane(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w->property(inDetailPaneProperty).toBool())
            return true;
    }
    return false;
}

void WindowContent::scheduleDetailRefresh() {
    if (detailRefreshPending_)
        return;
    detailRefreshPending_ = true;
    QTimer::singleShot(0, this, &WindowContent::refreshDetail);
}

void WindowContent::refreshDetailNow() {
    if (detailRefreshPending_)
        refreshDetail();
}

void WindowContent::refreshDetail() {
    detailRefreshPending_ = false;
    // The list screen takes the detail column for the list ListSelection finds open, else the
    // placeholder does. The open id itself is left as it is.
    store_.rebuildDerivedCacheIfNeeded();
    const std::optional<QString> shown =
        ListSelection::resolve(navigation_.openListID(), store_.sortedListsCache());
    if (!shown) {
        replaceItemEditor(nullptr);
        detail_->setCurrentWidget(placeholder_);
        emit detailTitleChanged(ListPlaceholderModel::windowTitle());
        return;
    }
    // Another list starts the screen afresh; the same one keeps its state (a filter, the
    // completed section) through store changes and rebuilds of the content.
    if (listScreen_.listID() != *shown)
        listScreen_.show(*shown);
    // An item opened on the list screen takes the column until its editor goes back.
    const std::optional<ItemRoute>& item = listScreen_.state().openItem;
    // An editor going back with the keyboard focus hands it to its item's row; otherwise the
    // focus would fall to whatever comes next in the window (the lists page).
    const std::optional<QString> leaving =
        itemEditor_ && itemEditor_->isAncestorOf(QApplication::focusWidget()) && !item
            ? std::optional(itemEditor_->model().route().itemID)
            : std::nullopt;
    // An item opened while the keyboard was on the list hands the keyboard to its editor; Qt
    // would otherwise move it to the next control in the window as the list goes out of sight.
    const bool entering =
        item && !itemEditor_ && listView_->isAncestorOf(QApplication::focusWidget());
    // The keyboard goes to where it is going before the page it is on goes out of sight:
    // hiding a page that holds the keyboard would hand it to the next control in the window
    // (the lists page's gear) on the way, and a screen reader would say so.
    if (leaving)
        focusItemRow(*leaving);
    if (!item)
        replaceItemEditor(nullptr);
    else if (!itemEditor_ || !(itemEditor_->model().route() == *item))
        replaceItemEditor(
            ItemEditorView::open(store_, *item, CloudAuthorShare::throughStore(store_)));
    if (entering && itemEditor_) {
        // Shown over the list for the moment, in the list's place: only a control in sight
        // takes the keyboard, and the editor's first one is found by where it stands.
        itemEditor_->setGeometry(listView_->geometry());
        itemEditor_->show();
        itemEditor_->takeFocus();
    }
    detail_->setCurrentWidget(itemEditor_ ? static_cast<QWidget*>(itemEditor_) : listView_);
    // The list's name shows in its header; the window's title stays the program's.
    emit detailTitleChanged(QString());
}

void WindowContent::focusItemRow(const QString& itemID) {
    DetailItemsView& items = listView_->items();
    for (int i = 0; i < items.rows().rowCount(); ++i) {
        const DetailRow& row = items.rows().row(i);
        if (row.kind == DetailRow::Kind::item && row.item.id == itemID) {
            items.setCurrentIndex(items.rows().index(i));
            break;
        }
    }
    items.setFocus(Qt::OtherFocusReason);
}
