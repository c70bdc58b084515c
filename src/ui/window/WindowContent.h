#pragma once

#include <QList>
#include <QWidget>

class ItemEditorView;
class ListDetailModel;
class ListDetailView;
class ListStore;
class ListsPane;
class ListPlaceholderPane;
class QSplitter;
class QStackedWidget;
class VoiceController;
class WindowNavigation;
class WindowSheets;

// The window's content: the lists page in a sidebar beside a detail column that shows the open
// list's screen while that list exists, or the placeholder pane. The window builds a new one
// whenever the text scale changes, so everything in it is built at the current scale; the open
// list lives in WindowNavigation and so survives the rebuild, and the lists page follows it both
// ways; the list screen's model is the window's too, so a filter or the completed section stays
// as it was. The sheets the lists page asks for come from the window's WindowSheets (the list
// screen's through ListScreenSheets); a control whose sheet is not there is hidden.
//
// Tab and Shift+Tab go round the lists page's stops, then those of what the detail column shows
// (each pane names its own, in its own order), and past the last to the window's other
// controls (a notice's button) before coming round again.
class WindowContent : public QWidget {
    Q_OBJECT
public:
    WindowContent(ListStore& store, WindowNavigation& navigation, WindowSheets& sheets,
                  ListDetailModel& listScreen, VoiceController* voice = nullptr,
                  QWidget* parent = nullptr);

    ListsPane* sidebar() const { return sidebar_; }
    // The screen of the open list; its view stays built (hidden) while the placeholder shows.
    ListDetailModel& listScreen() const { return listScreen_; }
    ListDetailView* listView() const { return listView_; }
    // The editor of the item opened from the list screen, while one is open.
    ItemEditorView* itemEditor() const { return itemEditor_; }
    QSplitter* splitter() const { return splitter_; }
    // Whether the detail column shows the placeholder pane.
    bool showsPlaceholder() const;
    // Runs a pending change of what the detail column shows now, instead of at the end of this
    // event-loop turn.
    void refreshDetailNow();

    bool sidebarVisible() const;
    void setSidebarVisible(bool visible);
    // The divider's place, to carry over to the next content.
    QList<int> splitterSizes() const;
    void setSplitterSizes(const QList<int>& sizes);
    // Carries over from the content this one replaces what its item editor held unsaved: a
    // half-typed note, and the keyboard focus when it was in the editor's name or note field
    // (`focused`, taken before the old content went), when both edit the same item.
    void takeDraftsFrom(const WindowContent& old, const QWidget* focused);

    // Works out again what depends on the time: due texts and "due today" counts.
    void refreshDatedTexts();

    // The detail column is marked with this property, true, for views that ask whether they
    // sit in it.
    static constexpr const char* inDetailPaneProperty = "isInDetailPane";
    static bool isInDetailPane(const QWidget* widget);

    // The stops of Tab in the window's content, in order.
    QList<QWidget*> focusStops() const;

signals:
    // Shown after every change of what the detail column shows: the window's title.
    void detailTitleChanged(const QString& title);

protected:
    bool focusNextPrevChild(bool next) override;

private:
    void scheduleDetailRefresh();
    void refreshDetail();
    void offerSheets();
    void replaceItemEditor(ItemEditorView* editor);
    void focusItemRow(const QString& itemID);

    ListStore& store_;
    WindowNavigation& navigation_;
    WindowSheets& sheets_;
    QSplitter* splitter_;
    ListsPane* sidebar_;
    QStackedWidget* detail_;
    ListPlaceholderPane* placeholder_;
    ListDetailModel& listScreen_;
    ListDetailView* listView_;
    ItemEditorView* itemEditor_ = nullptr;
    bool detailRefreshPending_ = false;
};
