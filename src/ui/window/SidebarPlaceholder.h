#pragma once

#include <QWidget>

class ListStore;
class QListView;
class QStringListModel;

// Stands in the sidebar until the lists pane takes its place: the names of the lists in display
// order, one row each, refreshed once per turn of the event loop however many changes arrive.
class SidebarPlaceholder : public QWidget {
    Q_OBJECT
public:
    explicit SidebarPlaceholder(ListStore& store, QWidget* parent = nullptr);

private:
    void scheduleRefresh();
    void refresh();

    ListStore& store_;
    QStringListModel* names_;
    QListView* view_;
    bool refreshPending_ = false;
};
