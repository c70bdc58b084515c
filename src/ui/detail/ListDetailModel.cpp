// The list screen's state, its snapshot of what is shown, and its actions.
#include "ListDetailModel.h"

#include "CloudShareLookup.h"
#include "ItemRowText.h"
#include "TagSuggester.h"
#include "model/CompletedOrder.h"
#include "model/Markdown.h"
#include "model/TagGrouping.h"
#include "platform/Defaults.h"
#include "platform/PlatformWording.h"
#include "store/ListStore.h"
#include "ui/lists/RelativeDueText.h"
#include "ui/sound/SoundEffects.h"

#include <QPointer>

#include <set>
#include <utility>

namespace {

bool canEditList(const std::optional<TBList>& list) {
    return !list || !list->zoneOwnerName || list->sharePermission != TBSharePermission::readOnly;
}

} // namespace

ListDetailModel::ListDetailModel(ListStore& store, const Clock& clock, QObject* parent)
    : QObject(parent), store_(store), clock_(clock), suggester_(new TagSuggester(this)) {
    connect(&store_, &ListStore::changed, this, &ListDetailModel::scheduleRefresh);
    connect(suggester_, &TagSuggester::ready, this, &ListDetailModel::updateAddBar);
    const auto words = std::make_shared<RelativeDueText>();
    relativeWords_ = [words](Date due, Date now) { return words->text(due, now); };
    // Looked for when asked: the cloud half may be attached after the screen is made.
    QPointer<ListStore> cloudOwner(&store_);
    shareLookup_ = [cloudOwner](const QString& listID, std::function<void(ShareAnswer)> reply) {
        CloudSync* cloud = cloudOwner ? cloudOwner->findChild<CloudSync*>() : nullptr;
        if (!cloud)
            return reply({std::nullopt, true});
        CloudShareLookup::lookup (*cloud)(listID, std::move(reply));
    };
    sharePreparer_ = [cloudOwner](const QString& listID,
                                  std::function<void(std::optional<QString>)> done) {
        CloudSync* cloud = cloudOwner ? cloudOwner->findChild<CloudSync*>() : nullptr;
        if (!cloud)
            return done(errorDescription(SharingError::notAvailableHere));
        CloudShareLookup::preparer (*cloud)(listID, std::move(done));
    };
}

ListDetailModel::~ListDetailModel() = default;

void ListDetailModel::show(const QString& listID) {
    listID_ = listID;
    state_ = ListDetailState();
    revealPending_.reset();
    share_.reset();
    ++generation_; // answers for the list shown before are dropped
    listWasThere_ = false;
    refreshNow();
    // The store keeps a one-off list's ticked items whatever its retention; asking only for
    // ongoing lists keeps that rule even where the store would not.
    if (snapshot_.list && snapshot_.list->kind == TBListKind::ongoing)
        store_.pruneCompleted(listID_);
    loadShare();
    updateAddBar();
    emit stateChanged();
}

void ListDetailModel::setSheetsOffered(std::function<bool(Sheet)> offered) {
    sheetsOffered_ = std::move(offered);
    refreshNow();
}

void ListDetailModel::sheetClosed(Sheet sheet) {
    switch (sheet) {
    case Sheet::listEditor:
        state_.editing = false;
        break;
    case Sheet::tagOrder:
        state_.arrangingTags = false;
        break;
    case Sheet::itemEditor:
        state_.openItem.reset();
        break;
    }
    emit stateChanged();
}

bool ListDetailModel::mayWrite() const {
    return snapshot_.list && snapshot_.canEdit;
}

bool ListDetailModel::canDrag() const {
    return mayWrite() && !state_.grouping;
}

void ListDetailModel::loadShare() {
    const std::optional<TBList>& list = snapshot_.list;
    if (!list || list->zoneOwnerName || !shareLookup_)
        return;
    const quint64 generation = generation_;
    const QString listID = listID_;
    ++shareLookups_;
    QPointer<ListDetailModel> self(this);
    shareLookup_(listID, [self, generation, listID](ShareAnswer answer) {
        if (!self || self->generation_ != generation || self->listID_ != listID)
            return;
        // A failed look-up is silent: the count stays unknown.
        if (answer.failed || !answer.otherParticipants)
            self->share_.reset();
        else
            self->share_ = answer;
        self->refreshNow();
    });
}

void ListDetailModel::scheduleRefresh() {
    if (refreshPending_)
        return;
    refreshPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (refreshPending_)
                refreshNow();
        },
        Qt::QueuedConnection);
}

const ListDetailModel::Parsed& ListDetailModel::parsed(const TBItem& item) {
    auto found = parsed_.find(item.id);
    if (found == parsed_.end() || found->text != item.text)
        found = parsed_.insert(item.id, Parsed{item.text, Markdown::tags(item.text),
                                               Markdown::textWithoutTags(item.text)});
    return *found;
}

QStringList ListDetailModel::vocabulary(const QList<TBItem>& items) {
    VocabularySource source;
    source.texts.reserve(items.size());
    for (const TBItem& item : items)
        source.texts.append(item.text);
    source.starterTags = store_.defaults().stringList(QStringLiteral("starterTags.") + listID_);
    source.tagOrder = store_.defaults().stringList(QStringLiteral("tagOrder.") + listID_);
    // A tick, a star or a move changes none of it; reading the tags of every item again
    // would cost more than the rest of a refresh.
    if (vocabularyListID_ != listID_ || !(source == vocabularySource_)) {
        vocabulary_ = store_.vocabulary(listID_);
        vocabularyListID_ = listID_;
        vocabularySource_ = std::move(source);
        hasTaggedItems_ = false;
        for (const TBItem& item : items)
            hasTaggedItems_ = hasTaggedItems_ || !parsed(item).tags.isEmpty();
        suggesterFed_ = false; // the tagger's inputs are made again when next asked
    }
    return vocabulary_;
}

void ListDetailModel::refreshNow() {
    refreshPending_ = false;
    const ListDetailState before = state_;
    DetailSnapshot next;
    build(next);
    emit aboutToRefresh(next);
    snapshot_ = std::move(next);
    if (state_ != before)
        emit stateChanged();
    emit refreshed();
    // The refresh after an add is the first to hold the item; a filter may hide it still.
    if (const std::optional<QString> added = std::exchange(revealPending_, std::nullopt))
        emit revealItem(*added);
    updateAddBar();
    if (snapshot_.list)
        listWasThere_ = true;
    else if (listWasThere_) {
        listWasThere_ = false;
        emit listGone();
    }
}

void ListDetailModel::build(DetailSnapshot& next) {
    store_.rebuildDerivedCacheIfNeeded();
    for (const TBList& list : store_.sortedListsCache()) {
        if (list.id == listID_) {
            next.list = list;
            break;
        }
    }
    // A store from a newer Tallybird takes no change: every list shows as view only.
    next.canEdit = !store_.editRefusal() && canEditList(next.list);
    next.items = store_.items(listID_);
    next.vocabulary = vocabulary(next.items);

    // A filter or grouping that the vocabulary no longer backs would hide items with no chip
    // left to undo it.
    if (state_.selectedTag && !next.vocabulary.contains(*state_.selectedTag))
        state_.selectedTag.reset();
    if (state_.grouping && next.vocabulary.isEmpty())
        state_.grouping = false;
    // The sheets of a list that went away close (the host goes back as well).
    if (!next.list) {
        state_.editing = false;
        state_.arrangingTags = false;
        state_.openItem.reset();
    }

    if (state_.selectedTag) {
        for (const TBItem& item : next.items)
            if (parsed(item).tags.contains(*state_.selectedTag))
                next.visible.append(item);
    } else {
        next.visible = next.items;
    }
    const bool ongoing = next.list && next.list->kind == TBListKind::ongoing;
    if (ongoing) {
        for (const TBItem& item : next.visible)
            if (!item.done)
                next.outstanding.append(item);
        next.completed = CompletedOrder::section(next.visible);
    } else {
        next.outstanding = next.visible;
    }
    next.showsEmptyState = next.items.isEmpty();

    next.itemsLabel = ListHeroText::itemsLabel(next.list ? next.list->name : QString());
    if (next.list) {
        const TBList& list = *next.list;
        int done = 0;
        for (const TBItem& item : next.items)
            done += item.done ? 1 : 0;
        DetailSnapshot::Hero hero;
        hero.name = list.name;
        if (list.kind == TBListKind::oneOff)
            hero.progress = ListHeroText::Progress{done, int(next.items.size())};
        hero.status = ListHeroText::statusLine(hero.progress, int(next.items.size()) - done);
        hero.accessibleSummary =
            ListHeroText::accessibleSummary(list.name, hero.status, list.pinned);
        const Date now = clock_.now();
        hero.dueText = ListHeroText::dueText(list, now, relativeWords_);
        hero.urgency = list.urgency(now);
        hero.pinned = list.pinned;
        hero.editable = next.canEdit && offersSheet(Sheet::listEditor);
        hero.icon = list.icon;
        hero.colourID = list.colourID;
        next.hero = hero;

        if (list.zoneOwnerName || list.hasShare) {
            const int count = share_ ? share_->otherParticipants.value_or(0) : 0;
            next.badge = ShareBadgeFace::make(count, true, share_.has_value(), false);
        }
    }

    if (!next.vocabulary.isEmpty()) {
        next.chips.append({QString(), QStringLiteral("Group"), state_.grouping,
                           state_.grouping ? QStringLiteral("Stop grouping by tag")
                                           : QStringLiteral("Group by tag")});
        for (const QString& tag : next.vocabulary) {
            const bool selected = state_.selectedTag == tag;
            next.chips.append(
                {tag, QStringLiteral("#") + tag, selected,
                 (selected ? QStringLiteral("Stop filtering by ") : QStringLiteral("Filter by ")) +
                     tag});
        }
    }

    // Rows, top to bottom.
    QList<DetailRow>& rows = next.rows;
    if (next.list)
        rows.append(DetailRow::of(DetailRow::Kind::hero));
    if (!next.chips.isEmpty())
        rows.append(DetailRow::of(DetailRow::Kind::filterBar));
    auto itemRow = [this](const TBItem& item, bool completed) {
        DetailRow row;
        row.kind = DetailRow::Kind::item;
        row.item = item;
        row.displayText = parsed(item).display;
        row.completed = completed;
        return row;
    };
    if (state_.grouping) {
        const QStringList order = store_.defaults()
                                      .stringList(QStringLiteral("tagOrder.") + listID_)
                                      .value_or(QStringList());
        for (const TagGrouping::Section& section : TagGrouping::sections(next.outstanding, order)) {
            DetailRow heading;
            heading.kind = DetailRow::Kind::groupHeading;
            heading.heading =
                section.tag ? section.tag->toUpper() : QStringLiteral("EVERYTHING ELSE");
            rows.append(heading);
            for (const TBItem& item : section.items)
                rows.append(itemRow(item, false));
        }
    } else {
        const bool draggable = next.list && next.canEdit;
        for (int i = 0; i < next.outstanding.size(); ++i) {
            DetailRow row = itemRow(next.outstanding.at(i), false);
            row.draggable = draggable;
            row.openOffset = i;
            rows.append(row);
        }
    }
    if (ongoing && !next.completed.isEmpty()) {
        DetailSnapshot::CompletedHeader header;
        header.count = int(next.completed.size());
        header.expanded = state_.showingCompleted;
        header.label = QStringLiteral("Completed, %1 %2")
                           .arg(header.count)
                           .arg(header.count == 1 ? "item" : "items");
        header.hint = PlatformWording::hint(header.expanded ? PlatformWording::Hint::hide
                                                            : PlatformWording::Hint::show);
        next.completedHeader = header;
        rows.append(DetailRow::of(DetailRow::Kind::completedHeader));
        if (state_.showingCompleted)
            for (const TBItem& item : next.completed)
                rows.append(itemRow(item, true));
    }
    rows.append(DetailRow::of(DetailRow::Kind::spacer));
}

// --- State ---

void ListDetailModel::toggleGrouping() {
    state_.grouping = !state_.grouping;
    refreshNow();
    emit stateChanged();
}

void ListDetailModel::toggleTag(const QString& tag) {
    if (state_.selectedTag == tag)
        state_.selectedTag.reset();
    else
        state_.selectedTag = tag;
    refreshNow();
    emit stateChanged();
}

void ListDetailModel::toggleCompleted() {
    state_.showingCompleted = !state_.showingCompleted;
    refreshNow();
    emit stateChanged();
}

void ListDetailModel::openItem(const QString& itemID) {
    if (!offersSheet(Sheet::itemEditor))
        return;
    state_.openItem = ItemRoute{itemID, listID_};
    emit stateChanged();
}

void ListDetailModel::closeItem() {
    state_.openItem.reset();
    emit stateChanged();
}

void ListDetailModel::editList() {
    if (!mayWrite() || !offersSheet(Sheet::listEditor))
        return;
    state_.editing = true;
    emit stateChanged();
}

void ListDetailModel::showMessage(const QString& text) {
    state_.message = text;
    emit stateChanged();
}

void ListDetailModel::dismissMessage() {
    state_.message.reset();
    emit stateChanged();
}

// --- Item actions ---

std::optional<TBItem> ListDetailModel::shownItem(const QString& itemID) const {
    for (const TBItem& item : snapshot_.items)
        if (item.id == itemID)
            return item;
    return std::nullopt;
}

void ListDetailModel::tick(const QString& itemID) {
    if (!mayWrite())
        return;
    const std::optional<TBItem> item = shownItem(itemID);
    if (!item)
        return;
    if (!item->done)
        SoundEffects::play(SoundEffect::itemCompleted); // before the change, ticking only
    store_.setDone(item->id, !item->done);
}

void ListDetailModel::toggleStar(const QString& itemID) {
    if (!mayWrite())
        return;
    if (const std::optional<TBItem> item = shownItem(itemID))
        store_.setItemPinned(item->id, !item->pinned);
}

void ListDetailModel::deleteItem(const QString& itemID) {
    if (!mayWrite())
        return;
    if (shownItem(itemID))
        store_.deleteItem(itemID);
}

void ListDetailModel::moveOpenItem(int from, int to) {
    const QList<TBItem>& open = snapshot_.outstanding;
    if (!canDrag() || from < 0 || from >= open.size() || to < 0 || to > open.size() || to == from ||
        to == from + 1)
        return;
    QStringList ids;
    ids.reserve(open.size());
    for (const TBItem& item : open)
        ids.append(item.id);
    store_.moveItems(listID_, ids, std::set<int>{from}, to);
}

QList<AccessibleAction> ListDetailModel::rowActions(const DetailRow& row) {
    if (row.kind != DetailRow::Kind::item || !mayWrite())
        return {};
    const QString id = row.item.id;
    return {{ItemRowText::tickAction(row.item), [this, id] { tick(id); }},
            {ItemRowText::starAction(row.item), [this, id] { toggleStar(id); }},
            {ItemRowText::deleteAction(), [this, id] { deleteItem(id); }}};
}
