// How the starter tag offer follows the recognised kinds of list.
#include "StarterTagOffer.h"

#include "model/TagDraft.h"

StarterTagOffer::Stage StarterTagOffer::stage() const {
    if (recognised_.isEmpty())
        return Stage::hidden;
    if (declined_)
        return Stage::declined;
    if (recognised_.size() > 1 && !chosen_)
        return Stage::choosing;
    return chosen_ ? Stage::offering : Stage::bare;
}

void StarterTagOffer::recognise(const QList<ListType>& types) {
    if (started_ && types == recognised_)
        return;
    const bool first = !started_;
    started_ = true;
    recognised_ = types;
    if (first || declined_)
        return;
    if (types.isEmpty()) {
        chosen_.reset();
        tags_.clear();
    } else if (types.size() == 1) {
        // The same single kind keeps the user's removals and additions.
        if (chosen_ != types.first())
            choose(types.first());
    } else if (chosen_ && !types.contains(*chosen_)) {
        chosen_.reset();
        tags_.clear();
    }
}

void StarterTagOffer::choose(ListType type) {
    chosen_ = type;
    tags_ = TagSuggestions::starterTags(type);
}

void StarterTagOffer::remove(const QString& tag) {
    tags_.removeAll(tag);
}

bool StarterTagOffer::add(const QString& typed) {
    const std::optional<QString> tag = TagDraft::newTag(typed);
    if (!tag || tags_.contains(*tag))
        return false;
    tags_.append(*tag);
    return true;
}

void StarterTagOffer::undoDecline() {
    declined_ = false;
    if (recognised_.size() == 1)
        choose(recognised_.first());
}

QString StarterTagOffer::displayName(ListType type) {
    switch (type) {
    case ListType::shopping:
        return QStringLiteral("Shopping");
    case ListType::hardware:
        return QStringLiteral("Hardware run");
    case ListType::renovation:
        return QStringLiteral("Renovation");
    case ListType::project:
        return QStringLiteral("Project");
    }
    return {};
}
