#pragma once

#include <QList>
#include <QWidget>

class ListStore;
class QSplitter;
class QStackedWidget;
class WindowNavigation;

// The window's content: the lists in a sidebar beside a detail column that shows the open list,
// or the placeholder pane while none is open. The window builds a new one whenever the text
// scale changes, so everything in it is built at the current scale; the open list lives in
// WindowNavigation and so survives the rebuild.
//
// The sidebar slot holds SidebarPlaceholder until the lists pane takes its place
// (buildSidebar()).
class WindowContent : public QWidget {
    Q_OBJECT
public:
    WindowContent(ListStore& store, WindowNavigation& navigation, QWidget* parent = nullptr);

    QWidget* sidebar() const { return sidebar_; }
    QSplitter* splitter() const { return splitter_; }
    // Whether the detail column shows the placeholder pane.
    bool showsPlaceholder() const;

    bool sidebarVisible() const;
    void setSidebarVisible(bool visible);
    // The divider's place, to carry over to the next content.
    QList<int> splitterSizes() const;
    void setSplitterSizes(const QList<int>& sizes);

    // Repaints what depends on the date: due texts and "due today" counts.
    void repaintDatedTexts();

    // The detail column is marked with this property, true, for views that ask whether they
    // sit in it.
    static constexpr const char* inDetailPaneProperty = "isInDetailPane";
    static bool isInDetailPane(const QWidget* widget);

signals:
    // The placeholder's "New list" controls; whoever makes lists listens.
    void newListRequested();
    // Shown after every change of what the detail column shows: the window's title.
    void detailTitleChanged(const QString& title);

private:
    QWidget* buildSidebar();
    void scheduleDetailRefresh();
    void refreshDetail();

    ListStore& store_;
    WindowNavigation& navigation_;
    QSplitter* splitter_;
    QWidget* sidebar_;
    QStackedWidget* detail_;
    QWidget* placeholder_;
    bool detailRefreshPending_ = false;
};
