#pragma once

#include "ListsScreenModel.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <functional>

class BrandHeader;
class EmptyState;
class CollectionEditorSheet;
class ListRemovalAlert;
class ListStore;
class ListsFooter;
class ListsHeading;
class PageListView;

// The lists page: the brand bar with the settings gear, the heading with the summary line and
// the edit pill, the rows of lists and groups, the empty state, and the New group pill and add
// button at the bottom. It shows the removal question and the group editor, one sheet at a
// time as the screen model asks; the other sheets (settings, a new or renamed list) are shown
// by whoever gives a presenter for them (setPresenter()). Main thread only.
class ListsPane : public QWidget {
    Q_OBJECT

public:
    ListsPane(ListsScreenModel& screen, ListStore& store, QWidget* parent = nullptr);
    ~ListsPane() override;

    ListsScreenModel& screen() { return screen_; }
    PageListView* rowsView() const { return rows_; }
    ListsHeading* heading() const { return heading_; }
    ListsFooter* footer() const { return footer_; }
    BrandHeader* brandHeader() const { return brand_; }
    EmptyState* emptyState() const { return empty_; }
    ListRemovalAlert* removalAlert() const { return alert_; }
    // The sheet shown now, when it is one this pane made.
    QDialog* presentedSheet() const { return sheet_; }

    // Makes the dialog of a sheet the pane does not draw itself; it is shown window-modal and
    // its closing dismisses the sheet. A sheet without a presenter is dismissed at once, and
    // the controls that would ask for it (the gear, the add buttons, "Rename…") are hidden.
    void setPresenter(ListsScreenModel::Sheet sheet, std::function<QDialog*(QWidget*)> make);
    // Whether the pane can show that sheet: the group editor always, the others once given.
    bool offers(ListsScreenModel::Sheet sheet) const;
    // Two panes (the sidebar) or one stack: the background and the bottom controls follow.
    void setSplit(bool split);
    // The stops of Tab in this pane, from the top: the gear, the summary line, Edit, the rows
    // (one stop; the arrow keys move among them), the empty state's button, New group and the
    // add button.
    QList<QWidget*> focusStops() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void sync();
    void showOfferedControls();
    void showFooterWhenItHoldsAControl();
    void presentSheet();
    void placeOverlays();

    ListsScreenModel& screen_;
    ListStore& store_;
    BrandHeader* brand_;
    ListsHeading* heading_;
    QWidget* body_;
    PageListView* rows_;
    EmptyState* empty_;
    ListsFooter* footer_;
    ListRemovalAlert* alert_;
    QPointer<QDialog> sheet_;
    std::optional<ListsScreenModel::Sheet> sheetKind_;
    QMap<ListsScreenModel::Sheet, std::function<QDialog*(QWidget*)>> presenters_;
    bool split_ = true;
    bool shownOnce_ = false;
};
