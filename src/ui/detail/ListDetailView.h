#pragma once

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

class AddItemBar;
class DetailItemsView;
class EmptyState;
class ListDetailModel;
class ListStore;
class QMenu;
class QVBoxLayout;
class ShareBadgeView;
class SymbolButton;
class ViewOnlyNote;

// The detail pane of the window: one list. A slim toolbar (the people badge for shared lists,
// then the list actions menu), the scrolling items in a reading column, the empty state over
// them when the list has no items, and at the foot the add bar, or the view-only note for a list
// that may only be read. It shows the screen's save dialog; its sheets and its alert are shown by
// the window (or a DetailSheetHost). Everything it shows comes from its ListDetailModel.
//
// Tab goes first where the main job is: the items (one stop; the arrow keys move among them),
// the add field and its plus button; then the header's edit button, the filter chips and the
// list actions menu.
class ListDetailView : public QWidget {
    Q_OBJECT

public:
    ListDetailView(ListDetailModel& screen, QWidget* parent = nullptr);

    ListDetailModel& screen() const { return screen_; }
    DetailItemsView& items() const { return *items_; }
    ShareBadgeView& badge() const { return *badge_; }
    AddItemBar& addBar() const { return *addBar_; }
    bool showsViewOnlyNote() const;
    bool showsEmptyState() const;
    SymbolButton& actionsButton() const { return *actions_; }
    // The list actions, made afresh each time the menu is shown (fillActionsMenu()).
    QMenu& actionsMenu() const { return *actionsMenu_; }
    void fillActionsMenu();
    // The stops of Tab in this pane, in order, including ones that do not take Tab now (hidden,
    // disabled, or a field Tab never stops on) so that the focus can leave them.
    QList<QWidget*> focusStops() const;

    // Asks where to save a file, proposing a name; answers with a path, or none when cancelled.
    // By default a save dialog modal to the window.
    using SaveChooser = std::function<void(QWidget* parent, const QString& proposedName,
                                           std::function<void(std::optional<QString>)> done)>;
    void setSaveChooser(SaveChooser choose) { chooseSave_ = std::move(choose); }
    // Hands a link to the desktop (the mail program for "mailto:"); by default QDesktopServices.
    void setUrlOpener(std::function<bool(const QUrl&)> open) { openUrl_ = std::move(open); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();
    void followState();
    void placeEmptyState();
    void shareMarkdown(bool mail);

    ListDetailModel& screen_;
    DetailItemsView* items_;
    ShareBadgeView* badge_;
    SymbolButton* actions_;
    QMenu* actionsMenu_;
    EmptyState* empty_;
    ViewOnlyNote* viewOnly_;
    AddItemBar* addBar_;
    QVBoxLayout* layout_;
    bool choosingSave_ = false;
    SaveChooser chooseSave_;
    std::function<bool(const QUrl&)> openUrl_;
};
