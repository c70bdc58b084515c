// The item editor's model: name, tick, star, tags and the new tag.
#include "ItemEditorModel.h"

#include "model/Markdown.h"
#include "model/TagDraft.h"
#include "platform/Unicode.h"
#include "store/ListStore.h"
#include "ui/sound/SoundEffects.h"

#include <algorithm>

const QString ItemEditorModel::tagsCaption = QStringLiteral("TAGS");
const QString ItemEditorModel::namePrompt = QStringLiteral("Item");
const QString ItemEditorModel::nameLabel = QStringLiteral("Item name");
const QString ItemEditorModel::addTagLabel = QStringLiteral("Add a new tag");
const QString ItemEditorModel::newTagPrompt = QStringLiteral("new tag");
const QString ItemEditorModel::newTagLabel = QStringLiteral("New tag name");

ItemEditorModel::ItemEditorModel(ListStore& store, QObject* parent)
    : QObject(parent), store_(store), notes_(store), refresh_(*this, [this] { refreshNow(); }) {
    connect(&store_, &ListStore::changed, this, [this] { refresh_.request(); });
}

void ItemEditorModel::show(const ItemRoute& route) {
    route_ = route;
    addingTag_ = false;
    newTag_.clear();
    nameFocused_ = false;
    name_ = seededName_ = storedName();
    emit nameReplaced();
    notes_.show(route);
    emit changed();
}

std::optional<TBItem> ItemEditorModel::item() const {
    const TBItem* item = store_.findItem(route_.itemID);
    if (!item || item->listID != route_.listID)
        return std::nullopt;
    return *item;
}

bool ItemEditorModel::canEdit() const {
    const TBList* list = store_.findList(route_.listID);
    return !store_.editRefusal() && !(list && list->isViewOnly());
}

QString ItemEditorModel::storedName() const {
    const std::optional<TBItem> shown = item();
    return shown ? Markdown::textWithoutTags(shown->text) : QString();
}

ItemEditorModel::Face ItemEditorModel::face() const {
    Face face;
    const std::optional<TBItem> shown = item();
    face.itemExists = shown.has_value();
    // Not the name being typed: the page would be named again at every key.
    face.pageLabel = Unicode::trimWhitespaceAndNewlines(shown ? storedName() : name_);
    if (face.pageLabel.isEmpty())
        face.pageLabel = namePrompt;
    face.canEdit = canEdit();
    face.done = shown && shown->done;
    face.starred = shown && shown->pinned;
    face.tickLabel = face.done ? QStringLiteral("Untick item") : QStringLiteral("Tick item");
    face.starLabel = face.starred ? QStringLiteral("Unstar item") : QStringLiteral("Star item");
    const QStringList own = shown ? Markdown::tags(shown->text) : QStringList();
    QStringList offered = own + store_.tags(route_.listID);
    std::sort(offered.begin(), offered.end()); // by UTF-16 code units: capitals first
    offered.erase(std::unique(offered.begin(), offered.end()), offered.end());
    for (const QString& tag : offered) {
        const bool selected = own.contains(tag);
        face.chips.append(
            {tag, selected,
             (selected ? QStringLiteral("Remove tag ") : QStringLiteral("Add tag ")) + tag});
    }
    face.showsAddTag = face.canEdit;
    face.canDelete = face.canEdit;
    return face;
}

void ItemEditorModel::refreshNow() {
    refresh_.cancel();
    if (!nameFocused_ && !nameEdited())
        followStore();
    emit changed();
}

void ItemEditorModel::followStore() {
    // A vanished item leaves the field with what it held.
    if (!item())
        return;
    const QString stored = storedName();
    if (stored == name_ && stored == seededName_)
        return;
    name_ = seededName_ = stored;
    emit nameReplaced();
}

void ItemEditorModel::editName(const QString& text) {
    if (name_ == text)
        return;
    name_ = text;
    emit changed();
}

void ItemEditorModel::setNameFocused(bool focused) {
    if (nameFocused_ == focused)
        return;
    nameFocused_ = focused;
    if (!focused)
        commit();
}

void ItemEditorModel::commit() {
    const std::optional<TBItem> shown = item();
    if (shown && nameEdited() && canEdit()) {
        const QString trimmed = Unicode::trimWhitespaceAndNewlines(name_);
        if (!trimmed.isEmpty()) {
            const QString text = TagDraft::replacingName(trimmed, shown->text);
            if (text != shown->text)
                store_.renameItem(shown->id, text);
        }
    }
    if (nameFocused_)
        seededName_ = name_; // the edit is spent; the field keeps what is typed
    else
        followStore();
}

void ItemEditorModel::startNewTag() {
    if (!canEdit())
        return;
    addingTag_ = true;
    emit changed();
}

void ItemEditorModel::setNewTag(const QString& text) {
    newTag_ = text;
}

void ItemEditorModel::commitNewTag() {
    const std::optional<TBItem> shown = item();
    const std::optional<QString> tag = TagDraft::newTag(newTag_);
    // Writing the same text again would mark it as changed here and win over a rename made
    // elsewhere meanwhile.
    if (shown && tag && canEdit() && !Markdown::tags(shown->text).contains(*tag))
        store_.renameItem(shown->id, TagDraft::toggle(*tag, shown->text));
    newTag_.clear();
    addingTag_ = false;
    emit changed();
}

void ItemEditorModel::cancelNewTag() {
    if (!addingTag_)
        return;
    newTag_.clear();
    addingTag_ = false;
    emit changed();
}

void ItemEditorModel::tick() {
    const std::optional<TBItem> shown = item();
    if (!shown || !canEdit())
        return;
    if (!shown->done)
        SoundEffects::play(SoundEffect::itemCompleted); // ticking only, before the change
    store_.setDone(shown->id, !shown->done);
}

void ItemEditorModel::toggleStar() {
    const std::optional<TBItem> shown = item();
    if (shown && canEdit())
        store_.setItemPinned(shown->id, !shown->pinned);
}

void ItemEditorModel::toggleTag(const QString& tag) {
    const std::optional<TBItem> shown = item();
    if (shown && canEdit())
        store_.renameItem(shown->id, TagDraft::toggle(tag, shown->text));
}

void ItemEditorModel::deleteItem() {
    if (!canEdit())
        return;
    store_.deleteItem(route_.itemID);
    emit closeRequested();
}

void ItemEditorModel::back() {
    commit();
    emit closeRequested();
}
