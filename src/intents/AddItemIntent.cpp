#include "intents/AddItemIntent.h"

#include "intents/IntentKind.h"
#include "lexicon/ItemPhrase.h"

QString AddItemIntent::title() {
    return IntentKinds::title(IntentKind::addItem);
}

QString AddItemIntent::itemPrompt() {
    return QStringLiteral("What would you like to add?");
}

void AddItemIntent::outcome(const IntentFrame& frame, const QString& listID, const QString& item,
                            const OutcomeHandler& done) {
    // A blank item is refused before the list is looked at.
    const QStringList phrases = ItemPhrase::split(item);
    if (phrases.isEmpty()) {
        done(IntentOutcome::notDone(QStringLiteral("I didn't catch what to add."),
                                    ExitCode::refused));
        return;
    }
    const QString phrase = phrases.first();

    const std::optional<TBList> list = frame.findList(listID);
    if (!list) {
        done(IntentFrame::listGone());
        return;
    }
    if (list->isViewOnly()) {
        done(IntentOutcome::notDone(list->name +
                                        QStringLiteral(" is view only, so I can't add to it."),
                                    ExitCode::refused));
        return;
    }
    // Stored as spoken: no tag is suggested or added. The store refuses only what was
    // checked above.
    ListStore& store = frame.store();
    const std::optional<TBItem> added = store.addItem(list->id, phrase);
    if (!added) {
        done(IntentFrame::listGone());
        return;
    }
    frame.finishChange(
        QStringLiteral("Added ") + phrase + QStringLiteral(" to ") + list->name +
            QStringLiteral("."),
        done, [&store, id = added->id] { store.withdrawItem(id); }, list->id);
}
