#pragma once

#include "NoteAuthorName.h"
#include "OncePerTurn.h"
#include "model/NoteThread.h"
#include "model/PersonDisplay.h"
#include "ui/detail/ItemRoute.h"
#include "ui/detail/PersonRoute.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class ListStore;

// The notes section of the item editor, without widgets: the rows of the item's thread with
// their authors, the composer's text, the limit text and the last refusal, and the actions.
//
// The edit right is read from the store at every use (a list may become read-only while the
// editor is open). A note is sent in a task of its own after the current event: its answer
// still reaches the store when the editor has closed or shows another item meanwhile, but then
// changes nothing here. Main thread only.
class NotesThreadModel : public QObject {
    Q_OBJECT

public:
    static const QString caption;     // "NOTES"
    static const QString placeholder; // "Add a note"
    static const QString saveLabel;   // "Save note"
    // The limits' sentences: the note count, the thread's length, and a note for an item that
    // was deleted.
    static QString notesLimitText();
    static QString charactersLimitText();
    static const QString itemGoneText;
    // What a note's delete button is called: it names the note, by its author when the note
    // has one, and by its words (the first ones of a long note), so that a screen reader tells
    // one delete button from the next.
    static QString deleteLabel(const QString& authorName, const QString& text);

    struct Row {
        QString id;
        QString text;
        // Another person's note on a shared list: a round badge that opens their kept name.
        bool showsAvatar = false;
        PersonDisplay::Resolved display;
        QString avatarLabel;
        std::optional<QString> nameLine;    // the name kept or written, above the text
        std::optional<QString> deleteLabel; // absent: no delete button
        bool operator==(const Row&) const = default;
    };
    // Everything the section shows, read afresh from the store.
    struct Face {
        QList<Row> rows;
        bool showsComposer = false;
        std::optional<QString> limitText; // instead of the composer when the thread is full
        std::optional<QString> message;   // the last refusal, under the composer
        bool canSave = false;
        bool showsPlaceholder = false;
    };

    explicit NotesThreadModel(ListStore& store, QObject* parent = nullptr);

    void setShareLookup(NoteAuthorName::ShareLookup lookup) { lookup_ = std::move(lookup); }

    // Shows the notes of another item (or the same one afresh): every state starts empty, and
    // answers for the item shown before change nothing here. Starts resolving the author name.
    void show(const ItemRoute& route);
    const ItemRoute& route() const { return route_; }

    Face face() const;
    NoteThread thread() const;
    bool canEdit() const;

    const QString& draft() const { return draft_; }
    const std::optional<QString>& message() const { return message_; }
    const QString& authorName() const { return authorName_; }
    const std::optional<PersonRoute>& editingPerson() const { return editingPerson_; }

    // --- Actions ---
    void setDraft(const QString& text);
    // Puts back what was typed in an earlier editor of the same item, which the window builds
    // anew at a new text size.
    void restoreDraft(const QString& text);
    // Sends the composer's text as a note: nothing for a blank text; otherwise the composer is
    // emptied at once and the note added after the current event, under the author name.
    void commitNote();
    void removeNote(const QString& noteID);
    // Opens the kept name of the author of a note that shows a badge.
    void editPerson(const QString& noteID);
    void closePerson();
    // Looks the author name up again (once per showing of the editor); `done` gets the name.
    void resolveAuthorName(std::function<void(const QString&)> done = {});

signals:
    // After a change of state, and once per event-loop turn after changes of the store.
    void changed();
    // The composer's text was set by the model (emptied or restored), not typed.
    void draftReplaced();
    void personRequested(const PersonRoute& person);

private:
    void answered(const QString& text, bool added);

    ListStore& store_;
    ItemRoute route_;
    NoteAuthorName::ShareLookup lookup_;
    QString draft_;
    std::optional<QString> message_;
    QString authorName_;
    std::optional<PersonRoute> editingPerson_;
    quint64 generation_ = 0;
    OncePerTurn refresh_;
};
