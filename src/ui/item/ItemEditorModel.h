#pragma once

#include "NotesThreadModel.h"
#include "OncePerTurn.h"
#include "model/TBItem.h"
#include "ui/detail/ItemRoute.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class ListStore;

// The item editor, without widgets: the item's tick, star, name and tags, the new-tag field,
// and its notes (NotesThreadModel). Opened for one item with show(); back() asks the host to
// close it.
//
// The name is written only when the user changed it: while the name field is neither focused
// nor edited it follows the store, so a rename from elsewhere shows and is never overwritten,
// and an item whose text the name field cannot reproduce (a tag alone, double spaces, a tag
// between words) is never rewritten by opening it. The edit right is read from the store at
// every use. Main thread only.
class ItemEditorModel : public QObject {
    Q_OBJECT

public:
    static const QString tagsCaption;  // "TAGS"
    static const QString namePrompt;   // "Item"
    static const QString nameLabel;    // "Item name"
    static const QString addTagLabel;  // "Add a new tag"
    static const QString newTagPrompt; // "new tag"
    static const QString newTagLabel;  // "New tag name"

    struct Chip {
        QString tag; // without "#"
        bool selected = false;
        QString accessibilityLabel;
        bool operator==(const Chip&) const = default;
    };
    // Everything the editor shows above the notes, read afresh from the store.
    struct Face {
        // What a screen reader calls the editor as it opens: the item's name as the store holds
        // it (a text of tags alone is its own name), the last name shown once the item is gone,
        // else "Item".
        QString pageLabel;
        bool itemExists = false;
        bool canEdit = true;
        bool done = false;
        bool starred = false;
        QString tickLabel;
        QString starLabel;
        QList<Chip> chips;
        bool showsAddTag = false; // the add-tag button or, while adding, the new-tag field
        bool canDelete = false;   // the header's "Delete item"
    };

    explicit ItemEditorModel(ListStore& store, QObject* parent = nullptr);

    NotesThreadModel& notes() { return notes_; }
    const NotesThreadModel& notes() const { return notes_; }

    // Shows an item: every state starts afresh, the name is seeded from the item's text.
    void show(const ItemRoute& route);
    const ItemRoute& route() const { return route_; }

    Face face() const;
    std::optional<TBItem> item() const;
    bool canEdit() const;

    // --- The name field ---
    const QString& name() const { return name_; }
    // Whether the field holds something other than what it was last given from the store.
    bool nameEdited() const { return name_ != seededName_; }
    void editName(const QString& text);
    void setNameFocused(bool focused);
    // Writes an edited name back into the item's text, keeping its tags; an emptied name is
    // ignored. Unedited, nothing is written. Afterwards an unfocused field follows the store.
    void commit();

    // --- The new-tag field ---
    bool addingTag() const { return addingTag_; }
    const QString& newTag() const { return newTag_; }
    void startNewTag();
    void setNewTag(const QString& text);
    void commitNewTag();
    // Gives up the new tag: the field goes, nothing is written.
    void cancelNewTag();

    // --- Actions (each does nothing while the list may not be edited, or with no item) ---
    void tick();
    void toggleStar();
    void toggleTag(const QString& tag);
    void deleteItem(); // then asks to close
    // Writes pending name edits, then asks the host to close the editor.
    void back();

signals:
    void changed();
    // The name was set from the store; the field shows the new text.
    void nameReplaced();
    // The host should pop the editor.
    void closeRequested();

private:
    void refreshNow();
    QString storedName() const;
    void followStore();

    ListStore& store_;
    NotesThreadModel notes_;
    ItemRoute route_;
    QString name_;
    QString seededName_;
    bool nameFocused_ = false;
    bool addingTag_ = false;
    QString newTag_;
    OncePerTurn refresh_;
};
