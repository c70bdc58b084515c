// The list editor's state, texts and save.
#include "ListEditorModel.h"

#include "ListIcon.h"

#include "platform/Defaults.h"
#include "platform/PlatformWording.h"
#include "platform/Unicode.h"
#include "store/ListStore.h"

namespace {

const QString tagsDeclinedPrefix = QStringLiteral("tagsDeclined.");
const QString starterTagsPrefix = QStringLiteral("starterTags.");
const QString reminderPrefix = QStringLiteral("reminder.");

constexpr double aWeek = 7 * 24 * 60 * 60;

QString kindName(TBListKind kind) {
    return kind == TBListKind::oneOff ? QStringLiteral("One-off") : QStringLiteral("Ongoing");
}

} // namespace

ListEditorModel::ListEditorModel(ListStore& store, ListEditorMode mode, QObject* parent)
    : QObject(parent), store_(store), mode_(std::move(mode)),
      dueDate_(store.clock().now().addingSeconds(aWeek)) {
    load();
    offer_.recognise(recognisedTypes()); // the first value sets the start, nothing else
    viewOnly_ = isViewOnlyNow();
    if (mode_.isEdit()) {
        const QString listID = mode_.list->id;
        connect(&store_, &ListStore::changed, this, [this, listID] {
            const TBList* list = store_.findList(listID);
            if (!gone_ && !list) {
                gone_ = true;
                emit listGone();
            } else if (list && !viewOnly_ && list->isViewOnly()) {
                viewOnly_ = true;
                emit listTurnedViewOnly();
            }
        });
    }
}

bool ListEditorModel::canOpen(const ListStore& store, const ListEditorMode& mode) {
    // A store from a newer Tallybird takes no list, new or edited.
    if (store.editRefusal())
        return false;
    if (!mode.isEdit())
        return true;
    const TBList* list = store.findList(mode.list->id);
    return list && !list->isViewOnly();
}

void ListEditorModel::load() {
    if (!mode_.isEdit())
        return;
    const TBList& list = *mode_.list;
    name_ = list.name;
    icon_ = list.icon;
    colourID_ = list.colourID;
    kind_ = list.kind;
    hasDueDate_ = list.dueDate.has_value();
    if (list.dueDate)
        dueDate_ = *list.dueDate;
    retention_ = CompletedRetention::read(list.completedRetentionRaw);
    collection_ = store_.collection(list.id);
    loadedCollection_ = collection_;
    remindWhenDue_ = store_.defaults().boolValue(reminderKey(list.id)).value_or(false);
    loadedWantsReminder_ = wantsReminder();
}

QString ListEditorModel::reminderKey(const QString& listID) const {
    return reminderPrefix + listID;
}

// --- Title and toolbar ---

QString ListEditorModel::title() const {
    return isEdit() ? QStringLiteral("Edit list") : QStringLiteral("New list");
}

QString ListEditorModel::confirmTitle() const {
    return isEdit() ? QStringLiteral("Save") : QStringLiteral("Create");
}

QString ListEditorModel::confirmAccessibilityLabel() const {
    return isEdit() ? QStringLiteral("Save list") : QStringLiteral("Create list");
}

// --- State ---

void ListEditorModel::edited() {
    recognise();
    emit changed();
}

void ListEditorModel::recognise() {
    offer_.recognise(recognisedTypes());
}

void ListEditorModel::setName(const QString& name) {
    if (name == name_)
        return;
    name_ = name;
    edited();
}

QString ListEditorModel::trimmedName() const {
    return Unicode::trimWhitespaceAndNewlines(name_);
}

void ListEditorModel::setIcon(const QString& symbol) {
    if (symbol == icon_)
        return;
    icon_ = symbol;
    edited();
}

void ListEditorModel::setColourID(const QString& id) {
    if (id == colourID_)
        return;
    colourID_ = id;
    edited();
}

void ListEditorModel::setKind(TBListKind kind) {
    kind_ = kind;
    if (kind == TBListKind::ongoing)
        hasDueDate_ = false;
    edited();
}

void ListEditorModel::setHasDueDate(bool on) {
    if (on == hasDueDate_)
        return;
    hasDueDate_ = on;
    edited();
}

void ListEditorModel::setDueDate(Date date) {
    if (date == dueDate_)
        return;
    dueDate_ = date;
    edited();
}

void ListEditorModel::setRetention(CompletedRetention retention) {
    if (retention == retention_)
        return;
    retention_ = retention;
    edited();
}

void ListEditorModel::setCollection(const std::optional<QString>& name) {
    if (name == collection_)
        return;
    collection_ = name;
    edited();
}

bool ListEditorModel::wantsReminder() const {
    return remindWhenDue_ && kind_ == TBListKind::oneOff && hasDueDate_;
}

// --- Heading ---

TBList ListEditorModel::preview() const {
    TBList list;
    list.name = headingName();
    list.icon = icon_;
    list.colourID = colourID_;
    list.kind = kind_;
    if (hasDueDate_)
        list.dueDate = dueDate_;
    list.createdAt = store_.clock().now();
    return list;
}

QString ListEditorModel::headingName() const {
    const QString name = trimmedName();
    return name.isEmpty() ? QStringLiteral("New list") : name;
}

QString ListEditorModel::kindCaption() const {
    return kindName(kind_).toUpper();
}

QString ListEditorModel::headingAccessibilityLabel() const {
    return QStringLiteral("Preview: %1, %2").arg(headingName(), kindName(kind_));
}

// --- Sections ---

QList<ListEditorModel::KindRow> ListEditorModel::kindRows() const {
    QList<KindRow> rows;
    for (const auto& [kind, explanation] :
         {std::pair{TBListKind::oneOff,
                    QStringLiteral("You finish it once. Shows how far along you are.")},
          std::pair{TBListKind::ongoing,
                    QStringLiteral("You keep adding to it. Ticked things move out of the way.")}}) {
        const QString name = kindName(kind);
        rows.append(
            {kind, name, explanation, name + QStringLiteral(". ") + explanation, kind == kind_});
    }
    return rows;
}

QList<ListEditorModel::IconGroup> ListEditorModel::iconGroups() const {
    QList<IconGroup> groups;
    for (const ListIcon::Group& group : ListIcon::groups()) {
        IconGroup out{group.name.toUpper(), {}};
        for (const ListIcon::Icon& icon : group.icons)
            out.cells.append({icon.symbol, icon.name, icon.symbol == icon_});
        groups.append(out);
    }
    return groups;
}

QList<ListEditorModel::ColourCell> ListEditorModel::colourCells() const {
    QList<ColourCell> cells;
    for (const ListColour& colour : ListColour::all())
        cells.append({colour, colour.id == colourID_});
    return cells;
}

QString ListEditorModel::retentionLabel(CompletedRetention retention) {
    switch (retention) {
    case CompletedRetention::never:
        return QStringLiteral("Never");
    case CompletedRetention::keep50:
        return QStringLiteral("Last 50");
    case CompletedRetention::keep100:
        return QStringLiteral("Last 100");
    case CompletedRetention::keep200:
        return QStringLiteral("Last 200");
    case CompletedRetention::all:
        return QStringLiteral("Always");
    }
    return {};
}

QList<ListEditorModel::MenuEntry> ListEditorModel::retentionEntries() const {
    QList<MenuEntry> entries;
    for (const CompletedRetention retention : CompletedRetention::allCases())
        entries.append({retentionLabel(retention), retention == retention_});
    return entries;
}

QString ListEditorModel::retentionAccessibilityLabel() const {
    return QStringLiteral("Keep completed items: ") + retentionValue();
}

QString ListEditorModel::retentionExplanation() {
    return QStringLiteral("How much ticked-off history this list keeps. Everyone sharing the list "
                          "sees the same setting.");
}

QStringList ListEditorModel::groupNames() const {
    return store_.collections();
}

QString ListEditorModel::groupAccessibilityLabel() const {
    return QStringLiteral("Group: ") + groupValue();
}

QString ListEditorModel::groupExplanation() {
    return QStringLiteral("Groups keep related lists together on the lists screen.");
}

NamePromptModel ListEditorModel::newGroupPrompt() {
    return {QStringLiteral("New group"), QStringLiteral("Name, such as Home"),
            QStringLiteral("Create")};
}

void ListEditorModel::confirmNewGroup(const QString& typed) {
    const QString name = Unicode::trimWhitespaceAndNewlines(typed);
    if (!name.isEmpty())
        setCollection(name);
}

// --- Starter tags ---

QList<ListEditorModel::ListType> ListEditorModel::recognisedTypes() const {
    if (isEdit())
        return {};
    return TagSuggestions::types(trimmedName(), icon_);
}

QString ListEditorModel::kindButtonAccessibilityLabel(ListType type) {
    return StarterTagOffer::displayName(type) + QStringLiteral(" list");
}

QString ListEditorModel::offerSentence() const {
    if (!offer_.chosen())
        return {};
    return QStringLiteral("Looks like a %1 list \u2014 start it with these tags?")
        .arg(StarterTagOffer::displayName(*offer_.chosen()).toLower());
}

QString ListEditorModel::removeTagAccessibilityLabel(const QString& tag) {
    return QStringLiteral("Remove tag ") + tag;
}

QString ListEditorModel::offerHint() {
    return PlatformWording::tagChipsExplanation();
}

void ListEditorModel::chooseTagType(ListType type) {
    offer_.choose(type);
    emit changed();
}

void ListEditorModel::removeOfferedTag(const QString& tag) {
    offer_.remove(tag);
    emit changed();
}

void ListEditorModel::declineTags() {
    offer_.decline();
    emit changed();
}

void ListEditorModel::undoDeclineTags() {
    offer_.undoDecline();
    emit changed();
}

NamePromptModel ListEditorModel::newTagPrompt() {
    return {QStringLiteral("New tag"), QStringLiteral("Name, such as snacks"),
            QStringLiteral("Add")};
}

void ListEditorModel::confirmNewTag(const QString& typed) {
    if (offer_.add(typed))
        emit changed();
}

// --- Saving ---

ListEditorModel::SaveResult ListEditorModel::save() {
    const QString name = trimmedName();
    if (name.isEmpty())
        return SaveResult::refused;
    if (isEdit())
        return saveEdit(name);
    saveNew(name);
    return SaveResult::saved;
}

void ListEditorModel::saveNew(const QString& name) {
    // One write of the store file and one announcement for the whole new list.
    store_.batch([&] {
        const TBList added = store_.addList(name);
        TBList list = added;
        list.icon = icon_;
        list.colourID = colourID_;
        list.kind = kind_;
        if (kind_ == TBListKind::oneOff && hasDueDate_)
            list.dueDate = dueDate_;
        // Only an ongoing list keeps a number of ticked items: a one-off list never prunes.
        if (kind_ == TBListKind::ongoing && retention_ != CompletedRetention::all)
            list.completedRetentionRaw = retention_.rawValue();
        store_.updateListFields(added, list);
        if (collection_)
            store_.setCollection(collection_, list.id);

        Defaults& defaults = store_.defaults();
        if (offer_.declined()) {
            defaults.setBool(tagsDeclinedPrefix + list.id, true);
            store_.announceVocabularyChange(list.id);
        } else if (offer_.chosen() && !offer_.tags().isEmpty()) {
            defaults.setStringList(starterTagsPrefix + list.id, offer_.tags());
            store_.announceVocabularyChange(list.id);
        }
        defaults.setBool(reminderKey(list.id), wantsReminder());
        createdListID_ = list.id;
    });
}

bool ListEditorModel::isViewOnlyNow() const {
    if (!isEdit())
        return false;
    const TBList* current = store_.findList(mode_.list->id);
    return current && current->isViewOnly();
}

QString ListEditorModel::viewOnlyMessage() const {
    const TBList* current = isEdit() ? store_.findList(mode_.list->id) : nullptr;
    const QString name = current ? current->name : (isEdit() ? mode_.list->name : name_);
    return name + QStringLiteral(" is view only now, so your changes were not saved.");
}

ListEditorModel::SaveResult ListEditorModel::saveEdit(const QString& name) {
    const TBList& loaded = *mode_.list;
    const TBList* current = store_.findList(loaded.id);
    // A list deleted while the editor was open stays deleted: no filing, no setting, no record.
    if (!current)
        return SaveResult::gone;
    // Its owner made it view only meanwhile: nothing of the edit is kept, the group included,
    // and the sheet says so rather than closing as if it had saved.
    if (current->isViewOnly())
        return SaveResult::viewOnly;

    // What the user left as loaded keeps its loaded value, so a save without a change differs
    // from the loaded list in nothing (a name with blanks around it, a due date an ongoing list
    // arrived with).
    TBList edited = loaded;
    if (name != Unicode::trimWhitespaceAndNewlines(loaded.name))
        edited.name = name;
    edited.icon = icon_;
    edited.colourID = colourID_;
    edited.kind = kind_;
    const bool dueUntouched = kind_ == loaded.kind && hasDueDate_ == loaded.dueDate.has_value() &&
                              (!hasDueDate_ || dueDate_ == *loaded.dueDate);
    if (!dueUntouched) {
        edited.dueDate.reset();
        if (kind_ == TBListKind::oneOff && hasDueDate_)
            edited.dueDate = dueDate_;
    }
    if (kind_ == TBListKind::ongoing &&
        retention_ != CompletedRetention::read(loaded.completedRetentionRaw))
        edited.completedRetentionRaw = retention_.rawValue();

    store_.batch([&] {
        store_.updateListFields(loaded, edited);
        if (collection_ != loadedCollection_)
            store_.setCollection(collection_, loaded.id);
        // The flag changes only when the kind or due date the user chose changes it.
        if (wantsReminder() != loadedWantsReminder_)
            store_.defaults().setBool(reminderKey(loaded.id), wantsReminder());
    });
    return SaveResult::saved;
}
