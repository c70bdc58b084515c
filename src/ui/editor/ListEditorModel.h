#pragma once

#include "ListEditorMode.h"
#include "StarterTagOffer.h"

#include "model/CompletedRetention.h"
#include "model/ListColour.h"
#include "model/TBList.h"
#include "platform/Date.h"
#include "ui/components/NamePromptModel.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class ListStore;

// The list editor sheet: the state of a new or edited list (name, kind, due date, retention,
// icon, colour, group, starter tags), every text and choice the sheet shows, and what saving
// writes. Nothing reaches the store before save(). An edit is saved field by field against the
// list as it was loaded, so a change another device made meanwhile to a field the user left
// alone is kept, and a save without a change writes nothing. Main thread only.
class ListEditorModel : public QObject {
    Q_OBJECT

public:
    using ListType = TagSuggestions::ListType;

    ListEditorModel(ListStore& store, ListEditorMode mode, QObject* parent = nullptr);

    // An editor opens to make a list, or for a list that exists and may be edited here.
    static bool canOpen(const ListStore& store, const ListEditorMode& mode);

    const ListEditorMode& mode() const { return mode_; }
    bool isEdit() const { return mode_.isEdit(); }

    // --- Title and toolbar ---
    QString title() const; // "New list" or "Edit list"
    static QString cancelTitle() { return QStringLiteral("Cancel"); }
    QString confirmTitle() const;              // "Create" or "Save"
    QString confirmAccessibilityLabel() const; // "Create list" or "Save list"
    bool canConfirm() const { return !trimmedName().isEmpty(); }

    // --- State ---
    const QString& name() const { return name_; }
    void setName(const QString& name);
    // The name as it is saved: blanks and line breaks trimmed from both ends (a name of line
    // breaks alone is blank).
    QString trimmedName() const;
    const QString& icon() const { return icon_; }
    void setIcon(const QString& symbol);
    const QString& colourID() const { return colourID_; }
    void setColourID(const QString& id);
    TBListKind kind() const { return kind_; }
    // Ongoing switches the due date off; one-off leaves it as it was.
    void setKind(TBListKind kind);
    bool hasDueDate() const { return hasDueDate_; }
    void setHasDueDate(bool on);
    // The picker's date: the list's due date, else 7 days after the editor opened.
    Date dueDate() const { return dueDate_; }
    void setDueDate(Date date);
    CompletedRetention retention() const { return retention_; }
    void setRetention(CompletedRetention retention);
    const std::optional<QString>& collection() const { return collection_; }
    void setCollection(const std::optional<QString>& name);
    bool remindWhenDue() const { return remindWhenDue_; }
    bool wantsReminder() const;

    // --- Heading ---
    // The list as the badge draws it.
    TBList preview() const;
    QString headingName() const; // the trimmed name, or "New list"
    QString kindCaption() const; // "ONE-OFF" or "ONGOING"
    QString headingAccessibilityLabel() const;

    // --- Sections ---
    static QString sectionTitle(const QString& title) { return title.toUpper(); }
    static QString namePlaceholder() { return QStringLiteral("Name, such as Groceries"); }
    bool showsDueSection() const { return kind_ == TBListKind::oneOff; }
    bool showsRetentionSection() const { return kind_ == TBListKind::ongoing; }
    bool showsTagSection() const { return !recognisedTypes().isEmpty(); }

    struct KindRow {
        TBListKind kind;
        QString name;
        QString explanation;
        QString accessibilityLabel;
        bool selected;
    };
    QList<KindRow> kindRows() const;
    static QString dueSwitchTitle() { return QStringLiteral("Give it a due date"); }
    static QString duePickerAccessibilityLabel() { return QStringLiteral("Due date"); }

    struct IconCell {
        QString symbol;
        QString accessibilityLabel;
        bool selected;
    };
    struct IconGroup {
        QString title; // upper case
        QList<IconCell> cells;
    };
    QList<IconGroup> iconGroups() const;
    // The colour under the chosen icon: the chosen palette colour, blue for an unknown id.
    const ListColour& iconColour() const { return ListColour::find(colourID_); }

    struct ColourCell {
        ListColour colour;
        bool selected;
    };
    QList<ColourCell> colourCells() const;

    // A choice of a drop-down menu.
    struct MenuEntry {
        QString title;
        bool checked = false;
    };
    static QString retentionLabel(CompletedRetention retention);
    QList<MenuEntry> retentionEntries() const; // in case order
    QString retentionValue() const { return retentionLabel(retention_); }
    QString retentionAccessibilityLabel() const;
    static QString retentionExplanation();

    // The group menu: "None", the store's groups, then "New group…" after a divider.
    static QString noGroupTitle() { return QStringLiteral("None"); }
    static QString newGroupTitle() { return QStringLiteral("New group\u2026"); }
    QStringList groupNames() const;
    QString groupValue() const { return collection_.value_or(noGroupTitle()); }
    QString groupAccessibilityLabel() const;
    static QString groupExplanation();
    static NamePromptModel newGroupPrompt();
    // The prompt confirmed: the typed name, trimmed, becomes the chosen group.
    void confirmNewGroup(const QString& typed);

    // --- Starter tags (a new list only) ---
    // The kinds of list the name and icon look like; none when a list is edited.
    QList<ListType> recognisedTypes() const;
    const StarterTagOffer& tagOffer() const { return offer_; }
    static QString kindQuestion() { return QStringLiteral("What kind of list is this?"); }
    static QString kindButtonAccessibilityLabel(ListType type);
    QString offerSentence() const;
    static QString removeTagAccessibilityLabel(const QString& tag);
    static QString newTagLabel() { return QStringLiteral("New tag"); }
    static QString offerHint();
    static QString declineTitle() { return QStringLiteral("Don't use tags on this list"); }
    static QString declinedText() { return QStringLiteral("No tags on this list."); }
    static QString undoTitle() { return QStringLiteral("Undo"); }
    static QString undoAccessibilityLabel() { return QStringLiteral("Undo, offer tags again"); }
    void chooseTagType(ListType type);
    void removeOfferedTag(const QString& tag);
    void declineTags();
    void undoDeclineTags();
    static NamePromptModel newTagPrompt();
    void confirmNewTag(const QString& typed);

    // --- Saving ---
    enum class SaveResult {
        refused,  // a blank name: nothing written, the sheet stays
        saved,    // written (or nothing to write), the sheet closes
        gone,     // the edited list was deleted meanwhile: nothing written, the sheet closes
        viewOnly, // the edited list turned view only meanwhile: nothing written, the sheet
                  // says so (viewOnlyMessage()) and closes
    };
    SaveResult save();
    // Whether the edited list may no longer be changed here: its owner made it view only.
    bool isViewOnlyNow() const;
    // What the sheet says when the list turned view only: "Weekend shop is view only now, so
    // your changes were not saved.", with the list's name as the store has it.
    QString viewOnlyMessage() const;
    // The list save() made, in create mode.
    const std::optional<QString>& createdListID() const { return createdListID_; }

signals:
    void changed();  // any state or text of the sheet
    void listGone(); // the edited list was deleted while the editor is open
    // The edited list turned view only while the editor is open; once.
    void listTurnedViewOnly();

private:
    void load();
    void recognise();
    void edited();
    void saveNew(const QString& name);
    SaveResult saveEdit(const QString& name);
    QString reminderKey(const QString& listID) const;

    ListStore& store_;
    ListEditorMode mode_;
    QString name_;
    QString icon_ = QStringLiteral("checklist");
    QString colourID_ = QStringLiteral("blue");
    TBListKind kind_ = TBListKind::oneOff;
    bool hasDueDate_ = false;
    Date dueDate_;
    CompletedRetention retention_ = CompletedRetention::all;
    std::optional<QString> collection_;
    std::optional<QString> loadedCollection_;
    bool remindWhenDue_ = false;
    bool loadedWantsReminder_ = false;
    StarterTagOffer offer_;
    std::optional<QString> createdListID_;
    bool gone_ = false;
    bool viewOnly_ = false;
};
