// The item editor's notes section: rows, composer, limits and the author name.
#include "NotesThreadModel.h"

#include "model/ItemNotes.h"
#include "platform/Unicode.h"
#include "store/ListStore.h"

#include <QPointer>
#include <QSet>
#include <QTimer>

const QString NotesThreadModel::caption = QStringLiteral("NOTES");
const QString NotesThreadModel::placeholder = QStringLiteral("Add a note");
const QString NotesThreadModel::saveLabel = QStringLiteral("Save note");
const QString NotesThreadModel::itemGoneText = QStringLiteral("That item no longer exists.");

QString NotesThreadModel::notesLimitText() {
    return QStringLiteral("This note is full — up to %1 notes per item.").arg(ItemNotes::maxNotes);
}

QString NotesThreadModel::charactersLimitText() {
    return QStringLiteral("That could not be added — a note holds up to %1 characters.")
        .arg(ItemNotes::maxCharacters);
}

namespace {

// The words of a note that its delete button says: a long note is cut at a character, not
// inside one, and the cut is shown.
constexpr qsizetype deleteLabelCharacters = 60;

QString quoted(const QString& text) {
    const QString words = Unicode::trimWhitespaceAndNewlines(text);
    const QStringList characters = Unicode::graphemes(words);
    if (characters.size() <= deleteLabelCharacters)
        return words;
    return Unicode::trimWhitespaceAndNewlines(
               characters.mid(0, deleteLabelCharacters).join(QString())) +
           QStringLiteral("…");
}

// Why the store refused a note, from the item as it is now; nothing on a list that may not be
// edited, where the section shows no composer and no message.
std::optional<QString> refusal(const ListStore& store, const ItemRoute& route) {
    const TBList* list = store.findList(route.listID);
    if (store.editRefusal() || (list && list->isViewOnly()))
        return std::nullopt;
    const TBItem* item = store.findItem(route.itemID);
    if (!item)
        return NotesThreadModel::itemGoneText;
    if (ItemNotes::parse(item->notes).size() >= ItemNotes::maxNotes)
        return NotesThreadModel::notesLimitText();
    return NotesThreadModel::charactersLimitText();
}

} // namespace

QString NotesThreadModel::deleteLabel(const QString& authorName, const QString& text) {
    const QString button = authorName.isEmpty() ? QStringLiteral("Delete note")
                                                : QStringLiteral("Delete note by ") + authorName;
    return button + QStringLiteral(": ") + quoted(text);
}

NotesThreadModel::NotesThreadModel(ListStore& store, QObject* parent)
    : QObject(parent), store_(store), refresh_(*this, [this] { emit changed(); }) {
    connect(&store_, &ListStore::changed, this, [this] { refresh_.request(); });
}

void NotesThreadModel::show(const ItemRoute& route) {
    route_ = route;
    ++generation_; // answers for the item shown before change nothing here
    draft_.clear();
    message_.reset();
    authorName_.clear();
    editingPerson_.reset();
    emit draftReplaced();
    emit changed();
    resolveAuthorName();
}

bool NotesThreadModel::canEdit() const {
    const TBList* list = store_.findList(route_.listID);
    return !store_.editRefusal() && !(list && list->isViewOnly());
}

NoteThread NotesThreadModel::thread() const {
    const TBItem* item = store_.findItem(route_.itemID);
    const bool present = item && item->listID == route_.listID;
    const std::set<QString>& ids = store_.identity().knownRecordNames;
    return NoteThread(present ? item->notes : QString(),
                      NoteAuthorName::listIsShared(store_, route_.listID),
                      QSet<QString>(ids.begin(), ids.end()));
}

NotesThreadModel::Face NotesThreadModel::face() const {
    const NoteThread notes = thread();
    const bool editable = canEdit();
    Face face;
    for (const NoteThread::Row& row : notes.rows) {
        Row shown;
        shown.id = row.id;
        shown.text = row.text;
        if (row.marker.kind == NoteThread::Row::Marker::Kind::initials) {
            shown.showsAvatar = true;
            shown.display = store_.display(row.authorID, row.authorName);
            shown.avatarLabel =
                shown.display.name ? QStringLiteral("Edit the name kept for ") + *shown.display.name
                                   : QStringLiteral("Keep a name for this person");
            shown.nameLine = shown.display.name;
        }
        if (editable && row.canDelete)
            shown.deleteLabel = deleteLabel(row.authorName, row.text);
        face.rows.append(shown);
    }
    if (editable) {
        face.showsComposer = notes.canAdd;
        if (!notes.canAdd)
            face.limitText =
                notes.rows.size() >= ItemNotes::maxNotes ? notesLimitText() : charactersLimitText();
        face.message = message_;
    }
    face.canSave = face.showsComposer && !Unicode::trimWhitespaceAndNewlines(draft_).isEmpty();
    face.showsPlaceholder = draft_.isEmpty();
    return face;
}

void NotesThreadModel::setDraft(const QString& text) {
    if (draft_ == text)
        return;
    draft_ = text;
    emit changed();
}

void NotesThreadModel::restoreDraft(const QString& text) {
    if (draft_ == text)
        return;
    draft_ = text;
    emit draftReplaced();
    emit changed();
}

void NotesThreadModel::commitNote() {
    const QString text = Unicode::trimWhitespaceAndNewlines(draft_);
    if (text.isEmpty() || !canEdit())
        return;
    draft_.clear();
    emit draftReplaced();
    emit changed();

    // The add runs after this event, and runs even when the editor closes meanwhile: the store
    // carries it, not this model.
    QPointer<ListStore> store(&store_);
    QPointer<NotesThreadModel> self(this);
    const quint64 generation = generation_;
    const ItemRoute route = route_;
    const NoteAuthorName::ShareLookup lookup = lookup_;
    auto current = [self, generation] { return self && self->generation_ == generation; };
    auto add = [store, self, route, text, current](const QString& name) {
        if (!store)
            return;
        const QString authorID = store->lastKnownUserRecordName().value_or(QString());
        const bool added = store->addNote(text, route.itemID, authorID, name);
        if (current())
            self->answered(text, added);
    };
    QTimer::singleShot(0, store, [store, self, route, lookup, add, current] {
        if (current() && !self->authorName_.isEmpty()) {
            add(self->authorName_);
            return;
        }
        NoteAuthorName::resolve(store, lookup, route.listID,
                                [self, add, current](std::optional<QString> name) {
                                    if (name && current())
                                        self->authorName_ = *name;
                                    add(name.value_or(current() ? self->authorName_ : QString()));
                                });
    });
}

void NotesThreadModel::answered(const QString& text, bool added) {
    if (added) {
        message_.reset();
    } else {
        // What was typed since the note was sent stays, after the note.
        draft_ = draft_.isEmpty() ? text : text + QLatin1Char('\n') + draft_;
        message_ = refusal(store_, route_);
        emit draftReplaced();
    }
    emit changed();
}

void NotesThreadModel::removeNote(const QString& noteID) {
    if (!canEdit())
        return;
    for (const NoteThread::Row& row : thread().rows) {
        if (row.id == noteID && row.canDelete) {
            store_.removeNote(noteID, route_.itemID,
                              store_.lastKnownUserRecordName().value_or(QString()), authorName_);
            return;
        }
    }
}

void NotesThreadModel::editPerson(const QString& noteID) {
    for (const NoteThread::Row& row : thread().rows) {
        if (row.id == noteID && row.marker.kind == NoteThread::Row::Marker::Kind::initials) {
            editingPerson_ = PersonRoute{row.authorID, row.authorName};
            emit personRequested(*editingPerson_);
            emit changed();
            return;
        }
    }
}

void NotesThreadModel::closePerson() {
    editingPerson_.reset();
    emit changed();
}

void NotesThreadModel::resolveAuthorName(std::function<void(const QString&)> done) {
    QPointer<NotesThreadModel> self(this);
    const quint64 generation = generation_;
    NoteAuthorName::resolve(&store_, lookup_, route_.listID,
                            [self, generation, done](std::optional<QString> name) {
                                if (!self || self->generation_ != generation)
                                    return;
                                if (name)
                                    self->authorName_ = *name;
                                if (done)
                                    done(self->authorName_);
                            });
}
