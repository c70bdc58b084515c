#include "ui/window/WindowContent.h"

#include "store/ListStore.h"
#include "ui/lists/ListsPane.h"
#include "ui/lists/ListsPaneFactory.h"
#include "ui/lists/ListsScreenModel.h"
#include "ui/window/ListPlaceholderModel.h"
#include "ui/window/ListPlaceholderPane.h"
#include "ui/window/WindowMetrics.h"
#include "ui/window/WindowNavigation.h"

#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

WindowContent::WindowContent(ListStore& store, WindowNavigation& navigation, VoiceController* voice,
                             QWidget* parent)
    : QWidget(parent), store_(store), navigation_(navigation), splitter_(new QSplitter(this)),
      sidebar_(makeListsPane(store, navigation.openListID(), voice)), detail_(new QStackedWidget),
      placeholder_(nullptr) {
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
    refreshDetail();
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

void WindowContent::refreshDetail() {
    detailRefreshPending_ = false;
    // The list screen takes the detail column for the list ListSelection finds open; until it
    // exists, the column shows the placeholder whatever is open.
    detail_->setCurrentWidget(placeholder_);
    emit detailTitleChanged(ListPlaceholderModel::windowTitle());
}
