#pragma once

#include <QWidget>

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
// then the list actions), the scrolling items in a reading column, the empty state over them when
// the list has no items, and at the foot the view-only note for a list that may only be read.
// Everything it shows comes from its ListDetailModel.
class ListDetailView : public QWidget {
    Q_OBJECT

public:
    ListDetailView(ListDetailModel& screen, QWidget* parent = nullptr);

    ListDetailModel& screen() const { return screen_; }
    DetailItemsView& items() const { return *items_; }
    ShareBadgeView& badge() const { return *badge_; }
    bool showsViewOnlyNote() const;
    bool showsEmptyState() const;
    // The list actions; the button shows once the menu holds an action.
    QMenu& actionsMenu() const { return *actionsMenu_; }
    // The foot's slot for the add bar on a list that may be edited.
    void setAddBar(QWidget* bar);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();
    void placeEmptyState();

    ListDetailModel& screen_;
    DetailItemsView* items_;
    ShareBadgeView* badge_;
    SymbolButton* actions_;
    QMenu* actionsMenu_;
    EmptyState* empty_;
    ViewOnlyNote* viewOnly_;
    QWidget* addBar_ = nullptr;
    QVBoxLayout* layout_;
};
