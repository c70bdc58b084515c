#pragma once

#include <QList>
#include <QWidget>

class ListStore;
class ListsPane;
class QSplitter;
class QStackedWidget;
class VoiceController;
class WindowNavigation;

// The window's content: the lists page in a sidebar beside a detail column that shows the open
// list, or the placeholder pane while none is open. The window builds a new one whenever the
// text scale changes, so everything in it is built at the current scale; the open list lives in
// WindowNavigation and so survives the rebuild, and the lists page follows it both ways.
class WindowContent : public QWidget {
    Q_OBJECT
public:
    WindowContent(ListStore& store, WindowNavigation& navigation, VoiceController* voice = nullptr,
                  QWidget* parent = nullptr);

    ListsPane* sidebar() const { return sidebar_; }
    QSplitter* splitter() const { return splitter_; }
    // Whether the detail column shows the placeholder pane.
    bool showsPlaceholder() const;

    bool sidebarVisible() const;
    void setSidebarVisible(bool visible);
    // The divider's place, to carry over to the next content.
    QList<int> splitterSizes() const;
    void setSplitterSizes(const QList<int>& sizes);

    // Works out again what depends on the time: due texts and "due today" counts.
    void refreshDatedTexts();

    // The detail column is marked with this property, true, for views that ask whether they
    // sit in it.
    static constexpr const char* inDetailPaneProperty = "isInDetailPane";
    static bool isInDetailPane(const QWidget* widget);

signals:
    // Shown after every change of what the detail column shows: the window's title.
    void detailTitleChanged(const QString& title);

private:
    void scheduleDetailRefresh();
    void refreshDetail();

    ListStore& store_;
    WindowNavigation& navigation_;
    QSplitter* splitter_;
    ListsPane* sidebar_;
    QStackedWidget* detail_;
    QWidget* placeholder_;
    bool detailRefreshPending_ = false;
};
