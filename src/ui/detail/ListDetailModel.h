#pragma once

#include "AddBarFace.h"
#include "DetailSnapshot.h"
#include "ListActionsMenu.h"
#include "ListDetailState.h"
#include "ListHeroText.h"

#include "platform/Clock.h"
#include "ui/components/AccessibleSpec.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ListStore;
class TagSuggester;

// The screen of one list, without widgets: its state, what it shows (one DetailSnapshot per
// store change, coalesced to one per event-loop turn, or per change of state), and its actions.
//
// Writes go only through the store, and only while the list exists and may be edited here. When
// the shown list disappears (deleted on another device) listGone() asks the host to go back.
// Main thread only.
class ListDetailModel : public QObject {
    Q_OBJECT

public:
    // The share of one list, as the look-up found it: the number of its participants other than
    // the owner, or none when the list has no share.
    struct ShareAnswer {
        std::optional<int> otherParticipants;
        bool failed = false;
    };
    using ShareLookup =
        std::function<void(const QString& listID, std::function<void(ShareAnswer)> reply)>;
    // The sheets the screen asks for through its state; the window shows them.
    enum class Sheet { listEditor, tagOrder, itemEditor };

    // The plain text on the clipboard, or none when it holds no text.
    using ClipboardReader = std::function<std::optional<QString>()>;

    // The share look-up and preparation go to the cloud half of the store (its CloudSync
    // child) until others are set; without one they fail, silently. The hero's due words are
    // those of the user's locale and time zone until others are set.
    ListDetailModel(ListStore& store, const Clock& clock = Clock::shared(),
                    QObject* parent = nullptr);
    ~ListDetailModel() override;

    void setShareLookup(ShareLookup lookup) { shareLookup_ = std::move(lookup); }
    void setRelativeWords(ListHeroText::RelativeWords words) { relativeWords_ = std::move(words); }
    // Which sheets the window can show. A control that asks for a sheet the window cannot show
    // is not offered (the header is no button, an item's text opens nothing). All by default.
    void setSheetsOffered(std::function<bool(Sheet)> offered);
    bool offersSheet(Sheet sheet) const { return !sheetsOffered_ || sheetsOffered_(sheet); }
    // The window closed the sheet of that kind: the state that asked for it is reset.
    void sheetClosed(Sheet sheet);
    void setClipboardReader(ClipboardReader reader) { clipboard_ = std::move(reader); }

    // Shows a list: every state starts afresh, ticked items are pruned by the list's retention
    // (ongoing lists only) and the list's share is looked up for the badge.
    void show(const QString& listID);
    const QString& listID() const { return listID_; }

    const ListDetailState& state() const { return state_; }
    const DetailSnapshot& snapshot() const { return snapshot_; }
    // Whether the screen may change anything now: the list exists and may be edited here.
    bool mayWrite() const;
    // The share as last looked up; none before an answer (or after a failed one).
    const std::optional<ShareAnswer>& share() const { return share_; }
    int shareLookups() const { return shareLookups_; }

    // --- State ---
    void toggleGrouping();
    void toggleTag(const QString& tag);
    void toggleCompleted();
    void openItem(const QString& itemID);
    void closeItem();
    // The header's action and "Edit list…": only while the list exists and may be edited.
    void editList();
    // The screen's alert, with that text as its title (a paste that went wrong, for one).
    void showMessage(const QString& text);
    void dismissMessage();

    // --- Item actions (nothing happens while the screen may not write) ---
    void tick(const QString& itemID);
    void toggleStar(const QString& itemID);
    void deleteItem(const QString& itemID);
    // A drag in the flat open items: the item shown at `from` lands before the one shown at
    // `to` (0 … count). One store call; nothing while grouped.
    void moveOpenItem(int from, int to);
    bool canDrag() const;
    // The actions a screen reader offers on a row besides pressing it: for an item of a list
    // that may be changed, those of its tick, its context menu and its swipe (Tick or Untick,
    // Star or Unstar, Delete); none otherwise.
    QList<AccessibleAction> rowActions(const DetailRow& row);

    // Makes the snapshot now instead of at the end of this event-loop turn.
    void refreshNow();

    // --- Adding items (the add bar and its tag chips) ---
    const AddBarFace& addBar() const { return addBar_; }
    // Typing: the face follows at once; the proposed tag follows when it is worked out (off
    // this call), and until then the face proposes none, while the chip marked for the draft
    // before stays marked (it is not unmarked and marked again at each keystroke).
    void setDraft(const QString& draft);
    // The add field's focus as the field reports it. Gaining it starts adding; losing it ends
    // adding unless a tag is being named or the keyboard went on to the add bar's buttons.
    void setInputFocused(bool focused);
    // Whether the keyboard is on one of the add bar's buttons (its plus, a tag chip, the new-tag
    // button). Like the field's focus it starts adding, and the keyboard leaving them for
    // anything but the field ends it.
    void setBarButtonFocused(bool focused);
    void tapList(); // a click on the items takes the focus from the add field
    void startNamingTag();
    // The new-tag field's commit: naming ends (the add field takes the focus back) and the typed
    // tag is put into the draft unless the draft carries it already.
    void commitNewTag(const QString& typed);
    // A chip: the suggested one turns the suggestion down; any other toggles its tag in the draft.
    void pressChip(const QString& tag);
    // Adds the draft as one item with the tag proposed for it (worked out afresh when needed),
    // plays the item-added sound, empties the draft and keeps the focus in the field. Once the
    // item is among the rows, revealItem() asks the view to scroll it into sight.
    void addDraft();
    // A paste into the add field. Several lines are added as the actions menu's paste adds
    // them, one item a line, and said in the alert ("Added 3 items."); the draft stays as it
    // was (true: taken). One line is the field's to insert into the draft (false).
    bool pasteIntoAddBar(const QString& text);
    TagSuggester& suggester() const { return *suggester_; }

    // --- The list actions menu, paste, Markdown and the sheets ---
    QList<ListActionsMenu::Entry> menuEntries() const;
    void arrangeTags(); // only when the window has the tag order sheet
    // The arranged order is stored as the list's tag order and every view regroups.
    void saveTagOrder(const QStringList& order);
    void pasteFromClipboard();
    QString markdown() const;
    QString exportFileName() const; // "Groceries.md"
    void beginSave();
    // The save dialog's outcome: a path to write to, or none when it was cancelled (silent).
    void finishSave(const std::optional<QString>& path);
    // Starting to share (the sharing set-up sheet's continue): a failure is shown in the alert.
    using SharePreparer = std::function<void(
        const QString& listID, std::function<void(std::optional<QString> error)> done)>;
    void setSharePreparer(SharePreparer prepare) { sharePreparer_ = std::move(prepare); }
    void presentShare();

signals:
    // A new snapshot, `next`, is about to replace the one shown, which snapshot() still is.
    void aboutToRefresh(const DetailSnapshot& next);
    void refreshed(); // a new snapshot
    void stateChanged();
    void listGone();
    void addBarChanged();
    // An item the add bar added is among the rows now: the view scrolls it into sight.
    void revealItem(const QString& itemID);

private:
    struct Parsed {
        QString text;
        QStringList tags;
        QString display;
    };
    const Parsed& parsed(const TBItem& item);
    std::optional<TBItem> shownItem(const QString& itemID) const;
    void scheduleRefresh();
    void loadShare();
    void build(DetailSnapshot& next);
    void updateAddBar();
    // Adds the items of a pasted text and says how many in the alert.
    void addPasted(const QString& text);
    void setAdding(bool adding);
    void setNamingTag(bool naming);
    bool tagsDeclined() const;
    // The proposed tag before the user's dismissal is applied: known now, or none while it is
    // being worked out (`fresh`: worked out here when not known).
    std::optional<QString> proposedTag(bool fresh, bool* pending = nullptr);
    void feedSuggester();

    ListStore& store_;
    const Clock& clock_;
    QString listID_;
    ListDetailState state_;
    DetailSnapshot snapshot_;
    QHash<QString, Parsed> parsed_;
    // The vocabulary is read from the store again only when what it is made of changed: the
    // texts of the list's items, its starter tags or its tag order.
    struct VocabularySource {
        QStringList texts;
        std::optional<QStringList> starterTags;
        std::optional<QStringList> tagOrder;
        bool operator==(const VocabularySource&) const = default;
    };
    QStringList vocabulary(const QList<TBItem>& items);
    QString vocabularyListID_;
    VocabularySource vocabularySource_;
    QStringList vocabulary_;
    bool hasTaggedItems_ = false;
    bool suggesterFed_ = false;
    TagSuggester* suggester_;
    AddBarFace addBar_;
    // The proposal the chips and the add field's hint show: the draft's, or while that is
    // worked out, the one shown before.
    std::optional<QString> shownSuggestion_;
    ClipboardReader clipboard_;
    SharePreparer sharePreparer_;
    std::optional<ShareAnswer> share_;
    ShareLookup shareLookup_;
    std::function<bool(Sheet)> sheetsOffered_;
    ListHeroText::RelativeWords relativeWords_;
    quint64 generation_ = 0;
    int shareLookups_ = 0;
    bool refreshPending_ = false;
    std::optional<QString> revealPending_; // added by the add bar, not yet among the rows
    bool listWasThere_ = false;
};
