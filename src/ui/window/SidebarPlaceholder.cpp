#include "ui/window/SidebarPlaceholder.h"

#include "store/ListStore.h"

#include <QListView>
#include <QStringListModel>
#include <QTimer>
#include <QVBoxLayout>

SidebarPlaceholder::SidebarPlaceholder(ListStore& store, QWidget* parent)
    : QWidget(parent), store_(store), names_(new QStringListModel(this)),
      view_(new QListView(this)) {
    view_->setModel(names_);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setUniformItemSizes(true);
    view_->setFrameShape(QFrame::NoFrame);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    connect(&store_, &ListStore::changed, this, &SidebarPlaceholder::scheduleRefresh);
    refresh();
}

void SidebarPlaceholder::scheduleRefresh() {
    if (refreshPending_)
        return;
    refreshPending_ = true;
    QTimer::singleShot(0, this, &SidebarPlaceholder::refresh);
}

void SidebarPlaceholder::refresh() {
    refreshPending_ = false;
    store_.rebuildDerivedCacheIfNeeded();
    QStringList names;
    for (const TBList& list : store_.sortedListsCache())
        names.append(list.name);
    if (names != names_->stringList())
        names_->setStringList(names);
}
