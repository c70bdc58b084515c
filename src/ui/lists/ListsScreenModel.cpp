// The lists screen's state, texts and actions over the store.
#include "ListsScreenModel.h"

#include "lexicon/VoiceController.h"
#include "model/LastOpenedList.h"
#include "model/ListNavigation.h"
#include "model/ListRemoval.h"
#include "model/SettingsPresentation.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"

#include <QDateTime>
#include <QHash>

#include <utility>

namespace {

// The start of the day that `now` falls on in `zone`, and of the day after.
std::pair<Date, Date> dayAround(Date now, const QTimeZone& zone) {
    const QDate today =
        QDateTime::fromMSecsSinceEpoch(qint64(now.unixSeconds() * 1000.0), zone).date();
    const auto start = [&](QDate day) {
        return Date::fromUnixSeconds(double(day.startOfDay(zone).toMSecsSinceEpoch()) / 1000.0);
    };
    return {start(today), start(today.addDays(1))};
}

} // namespace

ListsScreenModel::ListsScreenModel(ListStore& store, Defaults& defaults, const Clock& clock,
                                   ListNavigation& navigation, SettingsPresentation& settings,
                                   VoiceController* voice, const QByteArray& locale,
                                   const QTimeZone& zone, QObject* parent)
    : QObject(parent), store_(store), defaults_(defaults), clock_(clock), navigation_(navigation),
      settings_(settings), voice_(voice), zone_(zone), rows_(locale, zone) {
    const std::optional<QString> storedSummary = defaults_.string(ListsSummary::key);
    if (storedSummary)
        summaryMode_ = ListsSummary::fromRaw(*storedSummary).value_or(ListsSummary::listCount);
    refresh();
    if (settings_.isOpen())
        sheets_.append(Sheet::settings);
    connect(&store_, &ListStore::storeChanged, this, &ListsScreenModel::noteChange);
    connect(&navigation_, &ListNavigation::requestedListIDChanged, this,
            &ListsScreenModel::claimAnyPendingList);
    connect(&settings_, &SettingsPresentation::isOpenChanged, this,
            &ListsScreenModel::settingsChanged);
}

// --- Refreshing ---

void ListsScreenModel::noteChange(const StoreChange& change) {
    if (change.everything || !change.items.isEmpty() || !change.listsAdded.isEmpty() ||
        !change.listsRemoved.isEmpty())
        countsStale_ = true;
    if (change.everything || !change.listsAdded.isEmpty() || !change.listsRemoved.isEmpty() ||
        !change.filings.isEmpty() || !change.collapsedGroups.isEmpty() ||
        change.listOrderChanged()) {
        fullRefreshPending_ = true;
    } else if (!change.listFields.isEmpty() || !change.items.isEmpty()) {
        for (auto it = change.listFields.keyBegin(); it != change.listFields.keyEnd(); ++it)
            changedLists_.insert(*it);
        for (auto it = change.items.keyBegin(); it != change.items.keyEnd(); ++it)
            changedLists_.insert(*it);
    } else {
        return; // circles, names, marks: nothing the page shows
    }
    scheduleRefresh();
}

void ListsScreenModel::scheduleRefresh() {
    if (refreshPending_)
        return;
    refreshPending_ = true;
    QMetaObject::invokeMethod(this, &ListsScreenModel::refreshNow, Qt::QueuedConnection);
}

void ListsScreenModel::refreshNow() {
    if (!refreshPending_)
        return;
    if (!fullRefreshPending_) {
        refreshPending_ = false;
        const QSet<QString> lists = std::exchange(changedLists_, {});
        refreshLists(lists);
        emit changed();
        return;
    }
    const qint64 previousCount = listCount_;
    refresh();

    // An open list that went away (on another device, or not synced here yet) stays open by
    // id: the detail column shows its placeholder while no list has the id, and the list
    // shows again if it comes back by sync. Only a removal made here closes it.
    if (removingListID_ && !listExists(*removingListID_)) {
        removingListID_.reset();
        emit removalChanged();
    }
    if (editingListID_ && !listExists(*editingListID_))
        dequeue(Sheet::editList);
    // A store that gets its first lists after launch (loading, a first sync) still restores.
    if (listCount_ != previousCount)
        restoreLastOpenedListIfWanted();
    emit changed();
}

void ListsScreenModel::refreshDates() {
    refreshPending_ = true;
    fullRefreshPending_ = true;
    refreshNow();
    rows_.datedRowsChanged();
}

void ListsScreenModel::refresh() {
    refreshPending_ = false;
    fullRefreshPending_ = false;
    changedLists_.clear();
    const Date now = clock_.now();
    store_.rebuildDerivedCacheIfNeeded();
    const QList<TBList>& lists = store_.sortedListsCache();

    // A move, a pin or a new group leaves every list's items as they were.
    if (countsStale_) {
        QHash<QString, ItemCounts> counts;
        counts.reserve(lists.size());
        for (const TBItem& item : store_.allItems()) {
            ItemCounts& c = counts[item.listID];
            ++c.all;
            if (!item.done)
                ++c.open;
        }
        itemCounts_ = std::move(counts);
        countsStale_ = false;
    }
    const QHash<QString, ItemCounts>& counts = itemCounts_;
    QHash<QString, qint64> members;
    qint64 itemsToGo = 0;
    for (const TBList& list : lists) {
        itemsToGo += counts.value(list.id).open;
        if (const std::optional<QString> group = store_.collection(list.id))
            ++members[*group];
    }

    const QList<PageRow> page = store_.pageRows();
    QList<PageRowContent> contents;
    contents.reserve(page.size());
    for (qsizetype i = 0; i < page.size(); ++i) {
        PageRowContent content;
        content.row = page[i];
        if (page[i].isHeader()) {
            content.memberCount = members.value(page[i].name);
            // An open group always has its first member right under its header; a collapsed
            // one shows only the header.
            const bool memberBelow = i + 1 < page.size() && !page[i + 1].isHeader() &&
                                     store_.collection(page[i + 1].list.id) == page[i].name;
            content.collapsed = !memberBelow;
        } else {
            content.counts = counts.value(page[i].list.id);
            content.inGroup = store_.collection(page[i].list.id).has_value();
        }
        contents.append(content);
    }
    rows_.setNow(now);
    rows_.setChangesOffered(offersChanges());
    rows_.setRows(contents);
    listCount_ = lists.size();
    itemsToGo_ = itemsToGo;
    countDueToday(now);
}

void ListsScreenModel::refreshLists(const QSet<QString>& listIDs) {
    const Date now = clock_.now();
    // The items of the changed lists, counted afresh in one pass over all items.
    QHash<QString, ItemCounts> counts;
    for (const QString& id : listIDs)
        counts.insert(id, {});
    for (const TBItem& item : store_.allItems()) {
        const auto found = counts.find(item.listID);
        if (found == counts.end())
            continue;
        ++found->all;
        if (!item.done)
            ++found->open;
    }
    rows_.setNow(now);
    for (const TBList& list : store_.lists()) {
        const auto found = counts.constFind(list.id);
        if (found == counts.cend())
            continue;
        itemsToGo_ += found->open - itemCounts_.value(list.id).open;
        itemCounts_.insert(list.id, *found);
        const int row = rows_.rowOf(QStringLiteral("L#") + list.id);
        if (row < 0)
            continue; // folded away in a collapsed group
        PageRowContent content = rows_.content(row);
        content.row.list = list;
        content.counts = *found;
        rows_.updateRow(row, content);
    }
    // Every item change since the last count was among these lists.
    countsStale_ = false;
    countDueToday(now);
}

void ListsScreenModel::countDueToday(Date now) {
    const auto [todayStart, tomorrowStart] = dayAround(now, zone_);
    qint64 dueToday = 0;
    for (const TBList& list : store_.lists()) {
        if (list.kind == TBListKind::oneOff && list.dueDate && *list.dueDate >= todayStart &&
            *list.dueDate < tomorrowStart)
            ++dueToday;
    }
    dueToday_ = dueToday;
}

bool ListsScreenModel::listExists(const QString& listID) const {
    return currentList(listID).has_value();
}

std::optional<TBList> ListsScreenModel::currentList(const QString& listID) const {
    for (const TBList& list : store_.lists()) {
        if (list.id == listID)
            return list;
    }
    return std::nullopt;
}

// --- Launch and the open list ---

void ListsScreenModel::shown() {
    refreshNow();
    claimAnyPendingList();
    restoreLastOpenedListIfWanted();
    if (voice_)
        voice_->setVisibleListID(std::nullopt);
}

void ListsScreenModel::setSplit(bool split) {
    if (split_ == split)
        return;
    split_ = split;
    rows_.setSelectedListID(split_ ? openListID_ : std::nullopt);
}

void ListsScreenModel::setOpenListID(const std::optional<QString>& listID) {
    if (openListID_ == listID)
        return;
    openListID_ = listID;
    if (listID)
        defaults_.setString(LastOpenedList::key, *listID);
    else
        defaults_.remove(LastOpenedList::key);
    rows_.setSelectedListID(split_ ? openListID_ : std::nullopt);
    emit openListChanged();
}

void ListsScreenModel::openList(const QString& listID) {
    if (editing_ || !listExists(listID))
        return;
    setOpenListID(listID);
}

void ListsScreenModel::closeList() {
    setOpenListID(std::nullopt);
}

void ListsScreenModel::followOpenList(const std::optional<QString>& listID) {
    // A list the window has open that this page did not open (one kept open over a page built
    // anew, one made in the editor) is past any restore: removing it shows the placeholder.
    // The page's own opens come back here unchanged and leave the restore as it was.
    if (listID && listID != openListID_)
        hasRestoredLastOpened_ = true;
    setOpenListID(listID);
}

void ListsScreenModel::carryOn(const ListsScreenModel& earlier) {
    // Done stays done; one still pending (an empty launch) stays pending.
    hasRestoredLastOpened_ = hasRestoredLastOpened_ || earlier.hasRestoredLastOpened_;
}

void ListsScreenModel::claimAnyPendingList() {
    const std::optional<QString> claimed = navigation_.claimAnyPendingList([this] {
        store_.rebuildDerivedCacheIfNeeded();
        return store_.sortedListsCache();
    });
    if (claimed)
        setOpenListID(claimed);
}

void ListsScreenModel::restoreLastOpenedListIfWanted() {
    if (hasRestoredLastOpened_ || openListID_)
        return;
    store_.rebuildDerivedCacheIfNeeded();
    const QList<TBList>& lists = store_.sortedListsCache();
    if (lists.isEmpty())
        return;
    hasRestoredLastOpened_ = true;
    setOpenListID(LastOpenedList::resolve(defaults_.string(LastOpenedList::key), lists));
}

// --- Heading, summary line, edit button ---

QString ListsScreenModel::summaryText() const {
    return summaryMode_.text(listCount_, itemsToGo_, dueToday_);
}

QString ListsScreenModel::summaryAccessibilityLabel() const {
    // The reader hears what the line counts before the count itself: "Items to go: All done".
    QString prefix;
    switch (summaryMode_) {
    case ListsSummary::listCount:
        prefix = QStringLiteral("Lists");
        break;
    case ListsSummary::itemCount:
        prefix = QStringLiteral("Items to go");
        break;
    case ListsSummary::dueToday:
        prefix = QStringLiteral("Due today");
        break;
    }
    return prefix + QStringLiteral(": ") + summaryText();
}

void ListsScreenModel::advanceSummary() {
    const QList<ListsSummary>& modes = ListsSummary::allCases();
    summaryMode_ = modes[(modes.indexOf(summaryMode_) + 1) % modes.size()];
    defaults_.setString(ListsSummary::key, summaryMode_.rawValue());
    emit changed();
}

void ListsScreenModel::toggleEditing() {
    if (!editing_ && !offersChanges())
        return;
    editing_ = !editing_;
    rows_.setEditing(editing_);
    emit changed();
}

QString ListsScreenModel::editButtonTitle() const {
    return editing_ ? QStringLiteral("Done") : QStringLiteral("Edit");
}

QString ListsScreenModel::editButtonAccessibilityLabel() const {
    return editing_ ? QStringLiteral("Done editing lists") : QStringLiteral("Edit lists");
}

bool ListsScreenModel::offersChanges() const {
    return !store_.editRefusal();
}

// --- Rows ---

void ListsScreenModel::activate(const QString& rowID) {
    refreshNow();
    const int row = rows_.rowOf(rowID);
    if (row < 0)
        return;
    const PageRowContent& content = rows_.content(row);
    if (content.isHeader())
        store_.setCollectionCollapsed(content.row.name, !content.collapsed);
    else
        openList(content.row.list.id);
}

void ListsScreenModel::perform(const QString& rowID, RowCommand::Action action) {
    // A store that takes no change would only refuse: nothing is asked of it.
    if (!offersChanges())
        return;
    refreshNow();
    const int row = rows_.rowOf(rowID);
    if (row < 0)
        return;
    const PageRowContent content = rows_.content(row);
    using Action = RowCommand::Action;
    if (content.isHeader()) {
        if (action == Action::editGroup)
            requestGroupEditor(CollectionEditorMode::edit(content.row.name));
        else if (action == Action::ungroup)
            store_.dissolveCollection(content.row.name);
        return;
    }
    const TBList& list = content.row.list;
    switch (action) {
    case Action::rename:
        requestRename(list.id);
        break;
    case Action::pin:
    case Action::unpin:
        if (ListRowText::canEditHere(list))
            store_.setListPinned(list.id, action == Action::pin);
        break;
    case Action::remove:
        askToRemove(list.id);
        break;
    default:
        break;
    }
}

void ListsScreenModel::moveRows(const std::set<int>& offsets, int destination) {
    if (!offersChanges())
        return;
    const QList<PageRowContent>& shown = rows_.rows();
    const QList<PageRow> current = store_.pageRows();
    bool same = shown.size() == current.size();
    for (qsizetype i = 0; same && i < shown.size(); ++i)
        same = shown[i].id() == current[i].id();
    if (same) {
        store_.movePageRows(offsets, destination);
        return;
    }
    // The store changed under the drag: carry the rows over by id, so the drop moves what the
    // person dragged to where they let go.
    QHash<QString, int> currentRow;
    for (qsizetype i = 0; i < current.size(); ++i)
        currentRow.insert(current[i].id(), int(i));
    std::set<int> moved;
    for (int offset : offsets) {
        if (offset >= 0 && offset < shown.size()) {
            const int found = currentRow.value(shown[offset].id(), -1);
            if (found >= 0)
                moved.insert(found);
        }
    }
    if (moved.empty())
        return;
    int target = int(current.size());
    for (int i = std::max(destination, 0); i < shown.size(); ++i) {
        const int found = currentRow.value(shown[i].id(), -1);
        if (found >= 0) {
            target = found;
            break;
        }
    }
    store_.movePageRows(moved, target);
}

// --- Removal ---

void ListsScreenModel::askToRemove(const QString& listID) {
    if (!offersChanges() || !listExists(listID))
        return;
    removingListID_ = listID;
    emit removalChanged();
}

QString ListsScreenModel::removalTitle() const {
    const std::optional<TBList> list =
        removingListID_ ? currentList(*removingListID_) : std::nullopt;
    if (!list)
        return {};
    return ListRemoval::decide(list->zoneOwnerName.has_value(), list->hasShare)
        .confirmationTitle(list->name);
}

QString ListsScreenModel::removalVerb() const {
    const std::optional<TBList> list =
        removingListID_ ? currentList(*removingListID_) : std::nullopt;
    if (!list)
        return {};
    return ListRemoval::decide(list->zoneOwnerName.has_value(), list->hasShare).verb;
}

QString ListsScreenModel::removalMessage() const {
    const std::optional<TBList> list =
        removingListID_ ? currentList(*removingListID_) : std::nullopt;
    if (!list)
        return {};
    return ListRemoval::decide(list->zoneOwnerName.has_value(), list->hasShare).confirmationMessage;
}

void ListsScreenModel::confirmRemoval() {
    const std::optional<QString> listID = removingListID_;
    removingListID_.reset();
    emit removalChanged();
    // A list that went away while the question was up is not "deleted" a second time.
    if (!listID || !listExists(*listID))
        return;
    if (openListID_ == listID)
        setOpenListID(std::nullopt);
    store_.deleteList(*listID);
}

void ListsScreenModel::cancelRemoval() {
    if (!removingListID_)
        return;
    removingListID_.reset();
    emit removalChanged();
}

// --- Sheets ---

std::optional<ListsScreenModel::Sheet> ListsScreenModel::presentedSheet() const {
    if (sheets_.isEmpty())
        return std::nullopt;
    return sheets_.first();
}

std::optional<TBList> ListsScreenModel::editingList() const {
    return editingListID_ ? currentList(*editingListID_) : std::nullopt;
}

void ListsScreenModel::enqueue(Sheet sheet) {
    if (!sheets_.contains(sheet))
        sheets_.append(sheet);
    emit sheetChanged();
}

void ListsScreenModel::dequeue(Sheet sheet) {
    if (!sheets_.removeAll(sheet))
        return;
    switch (sheet) {
    case Sheet::settings:
        settings_.setOpen(false);
        break;
    case Sheet::editList:
        editingListID_.reset();
        break;
    case Sheet::groupEditor:
        collectionEditor_.reset();
        break;
    case Sheet::createList:
        break;
    }
    emit sheetChanged();
}

void ListsScreenModel::requestNewList() {
    if (offersChanges())
        enqueue(Sheet::createList);
}

void ListsScreenModel::requestRename(const QString& listID) {
    const std::optional<TBList> list = currentList(listID);
    if (!list || !ListRowText::canEditHere(*list) || !offersChanges())
        return;
    editingListID_ = listID;
    enqueue(Sheet::editList);
}

void ListsScreenModel::requestGroupEditor(const CollectionEditorMode& mode) {
    if (!offersChanges())
        return;
    collectionEditor_ = mode;
    enqueue(Sheet::groupEditor);
}

void ListsScreenModel::requestSettings() {
    settings_.setOpen(true);
}

void ListsScreenModel::settingsChanged() {
    if (settings_.isOpen())
        enqueue(Sheet::settings);
    else
        dequeue(Sheet::settings);
}

void ListsScreenModel::dismissSheet() {
    if (const std::optional<Sheet> sheet = presentedSheet())
        dequeue(*sheet);
}
