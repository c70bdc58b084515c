#include "intents/CompleteItemIntent.h"

#include "intents/IntentKind.h"
#include "lexicon/VoiceResolution.h"

namespace {

QString notFound(const QString& spoken, const TBList& list) {
    return QStringLiteral("I couldn't find ") + spoken + QStringLiteral(" on ") + list.name +
           QStringLiteral(".");
}

QString alreadyTicked(const TBItem& item) {
    return item.text + QStringLiteral(" was already ticked off.");
}

void tick(const IntentFrame& frame, const TBItem& item, const OutcomeHandler& done) {
    ListStore& store = frame.store();
    const FieldSet marks = store.dirtyItems().value(item.id);
    store.setDone(item.id, true);
    frame.finishChange(
        QStringLiteral("Ticked off ") + item.text + QStringLiteral("."), done,
        [&store, item, marks] { store.withdrawDone(item, marks); }, item.listID);
}

// The user's choice, by id: matching the chosen text again could never single out one of
// several items with the same folded text.
void tickChosen(const IntentFrame& frame, const TBList& list, const QString& chosenText,
                const QString& itemID, const OutcomeHandler& done) {
    for (const TBItem& item : frame.store().itemsOf(list.id)) {
        if (item.id != itemID)
            continue;
        if (item.done)
            done(IntentOutcome::notDone(alreadyTicked(item), ExitCode::refused));
        else
            tick(frame, item, done);
        return;
    }
    done(IntentOutcome::notDone(notFound(chosenText, list), ExitCode::notFound));
}

} // namespace

QString CompleteItemIntent::title() {
    return IntentKinds::title(IntentKind::completeItem);
}

QString CompleteItemIntent::itemPrompt() {
    return QStringLiteral("Which one?");
}

void CompleteItemIntent::outcome(const IntentFrame& frame, const QString& listID,
                                 const QString& spoken, const std::optional<QString>& chosenItemID,
                                 const OutcomeHandler& done) {
    const std::optional<TBList> list = frame.findList(listID);
    if (!list) {
        done(IntentFrame::listGone());
        return;
    }
    // Refused before the item is looked at.
    if (list->isViewOnly()) {
        done(IntentOutcome::notDone(list->name +
                                        QStringLiteral(" is view only, so I can't change it."),
                                    ExitCode::refused));
        return;
    }
    if (chosenItemID) {
        tickChosen(frame, *list, spoken, *chosenItemID, done);
        return;
    }

    const ItemMatch match = VoiceResolution::resolveItem(spoken, frame.store().itemsOf(list->id));
    switch (match.kind) {
    case ItemMatch::Kind::matched:
        tick(frame, match.items.first(), done);
        return;
    case ItemMatch::Kind::alreadyDone:
        done(IntentOutcome::notDone(alreadyTicked(match.items.first()), ExitCode::refused));
        return;
    case ItemMatch::Kind::ambiguous: {
        QList<IntentChoice> choices;
        for (const TBItem& item : match.items)
            choices.append(IntentChoice{item.id, item.text});
        done(IntentOutcome::choose(itemPrompt(), choices));
        return;
    }
    case ItemMatch::Kind::none:
        // The spoken text exactly as it arrived, blanks included.
        done(IntentOutcome::notDone(notFound(spoken, *list), ExitCode::notFound));
        return;
    }
}
