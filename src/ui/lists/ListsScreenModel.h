#pragma once

#include "CollectionEditorMode.h"
#include "PageRowModel.h"
#include "RowCommand.h"

#include "model/ListsSummary.h"
#include "platform/PlatformWording.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimeZone>

#include <optional>
#include <set>

class Clock;
struct StoreChange;
class Defaults;
class ListNavigation;
class ListStore;
class SettingsPresentation;
class VoiceController;

// The lists screen: which list is open (and its restore at launch), the lists page's rows,
// heading, summary line and edit mode, the removal confirmation, and the sheets it asks for,
// one shown at a time. It produces every text the page shows and offers every action as a
// method; widgets only draw and forward. It follows the store, refreshing once per event-loop
// turn however many changes arrive. Main thread only.
class ListsScreenModel : public QObject {
    Q_OBJECT

public:
    // The sheets the screen shows, one at a time, in the order they were asked for.
    enum class Sheet { settings, createList, editList, groupEditor };

    ListsScreenModel(ListStore& store, Defaults& defaults, const Clock& clock,
                     ListNavigation& navigation, SettingsPresentation& settings,
                     VoiceController* voice = nullptr, const QByteArray& locale = {},
                     const QTimeZone& zone = QTimeZone::systemTimeZone(),
                     QObject* parent = nullptr);

    PageRowModel& rows() { return rows_; }
    const PageRowModel& rows() const { return rows_; }
    // Runs a pending refresh at once (the first show, and before acting on row offsets).
    void refreshNow();
    // Time moved on (a new day, a wake from sleep): the due words and the lists due today are
    // worked out again; nothing else in the store changed.
    void refreshDates();

    // --- Launch and the open list ---
    // The pane is shown: a pending open request is claimed, then the remembered list restored.
    void shown();
    // Two panes (the open list's row is highlighted) or one stack (no row is).
    void setSplit(bool split);
    bool isSplit() const { return split_; }
    const std::optional<QString>& openListID() const { return openListID_; }
    // A click on a list's row; nothing in edit mode.
    void openList(const QString& listID);
    // Going back from the list in the one-stack window.
    void closeList();
    // The window opened or closed a list itself (or kept one open over a rebuilt page): the
    // page follows, whatever the edit mode. An id that names no list (yet) is kept as it is.
    // A list the window opened is past the launch's restore, which then never runs.
    void followOpenList(const std::optional<QString>& listID);
    // A page built in place of an earlier one (at a new text size) carries on from it: when the
    // earlier page restored the remembered list already, this one does not restore it again,
    // even while no list is open.
    void carryOn(const ListsScreenModel& earlier);
    void claimAnyPendingList();
    void restoreLastOpenedListIfWanted();

    // --- Heading, summary line, edit button ---
    static QString heading() { return QStringLiteral("Your lists"); }
    ListsSummary summaryMode() const { return summaryMode_; }
    QString summaryText() const;
    QString summaryAccessibilityLabel() const;
    static QString summaryAccessibilityHint() {
        return PlatformWording::hint(PlatformWording::Hint::changeSummary);
    }
    void advanceSummary(); // a click on the line: the next count, remembered
    bool editing() const { return editing_; }
    // Edit mode is never turned on while the page offers no changes.
    void toggleEditing();
    bool showsEditButton() const { return offersChanges(); }
    QString editButtonTitle() const;
    QString editButtonAccessibilityLabel() const;

    // --- The page's other parts ---
    // Whether the page offers to change the lists: not while the store takes no change (its
    // file comes from a newer Tallybird). The page then shows no way to make a list or a group,
    // no edit mode and no row commands, lets no row be dragged, and does nothing when asked for
    // any of them; lists still open and groups still fold.
    bool offersChanges() const;
    bool hasLists() const { return listCount_ > 0; }
    bool showsEmptyState() const { return !hasLists(); }
    bool showsNewGroupPill() const { return hasLists() && offersChanges(); }
    // The add buttons and the empty state's button, which make a list.
    bool offersNewList() const { return offersChanges(); }
    static QString emptyTitle() { return QStringLiteral("No lists yet"); }
    static QString emptyMessage() {
        return QStringLiteral("Make your first list — a shopping list, a packing list, anything.");
    }
    static QString emptySymbol() { return QStringLiteral("checklist"); }
    static QString emptyActionTitle() { return QStringLiteral("Make a list"); }
    static QString newListLabel() { return QStringLiteral("New list"); }
    static QString newGroupLabel() { return QStringLiteral("New group"); }
    static QString settingsLabel() { return QStringLiteral("Settings"); }
    // What a screen reader calls the rows of lists and groups.
    static QString rowsLabel() { return QStringLiteral("Lists"); }

    // --- Rows ---
    // A click on a row: a header collapses or expands its group, a list opens.
    void activate(const QString& rowID);
    // One of a row's commands (menu, swipe, edit-mode button or screen-reader action), for the
    // row of that id as the store has it now; nothing when the row has gone or the page offers
    // no changes.
    void perform(const QString& rowID, RowCommand::Action action);
    // A drop: the rows at `offsets` of the rows shown go before the row shown at `destination`.
    // One store call; offsets are carried over to the store's current rows by row id.
    void moveRows(const std::set<int>& offsets, int destination);

    // --- Removal confirmation ---
    void askToRemove(const QString& listID);
    bool isConfirmingRemoval() const { return removingListID_.has_value(); }
    QString removalTitle() const; // empty while not confirming
    QString removalVerb() const;
    QString removalMessage() const;
    static QString cancelTitle() { return QStringLiteral("Cancel"); }
    void confirmRemoval();
    void cancelRemoval();

    // --- Sheets ---
    std::optional<Sheet> presentedSheet() const;
    std::optional<TBList> editingList() const; // the list of the edit sheet
    const std::optional<CollectionEditorMode>& collectionEditor() const {
        return collectionEditor_;
    }
    void requestNewList();
    void requestRename(const QString& listID);
    void requestGroupEditor(const CollectionEditorMode& mode);
    void requestSettings();
    // The presented sheet was closed, however: its state is reset and the next is shown.
    void dismissSheet();

signals:
    void changed(); // heading, summary, edit mode, empty state or pill
    void openListChanged();
    void removalChanged();
    void sheetChanged();

private:
    void noteChange(const StoreChange& change);
    void scheduleRefresh();
    // Everything again from the store: rows, groups, counts. Runs after changes to which lists
    // exist, their order, pins, groups or folding.
    void refresh();
    // Only the named lists' rows and the counts: after changes to lists' other fields and to
    // items, which never move a row.
    void refreshLists(const QSet<QString>& listIDs);
    void countDueToday(Date now);
    void setOpenListID(const std::optional<QString>& listID);
    bool listExists(const QString& listID) const;
    std::optional<TBList> currentList(const QString& listID) const;
    void enqueue(Sheet sheet);
    void dequeue(Sheet sheet);
    void settingsChanged();

    ListStore& store_;
    Defaults& defaults_;
    const Clock& clock_;
    ListNavigation& navigation_;
    SettingsPresentation& settings_;
    VoiceController* voice_;
    QTimeZone zone_;
    PageRowModel rows_;

    bool refreshPending_ = false;
    bool fullRefreshPending_ = false;
    QSet<QString> changedLists_; // lists to refresh, when no full refresh is pending
    bool countsStale_ = true;    // items came, went or changed since the last full count
    bool split_ = true;
    std::optional<QString> openListID_;
    bool hasRestoredLastOpened_ = false;
    ListsSummary summaryMode_ = ListsSummary::listCount;
    bool editing_ = false;
    std::optional<QString> removingListID_;
    std::optional<QString> editingListID_;
    std::optional<CollectionEditorMode> collectionEditor_;
    QList<Sheet> sheets_;

    // Counts of the last refresh; items per list, for lists in collapsed groups too.
    QHash<QString, ItemCounts> itemCounts_;
    qint64 listCount_ = 0;
    qint64 itemsToGo_ = 0;
    qint64 dueToday_ = 0;
};
