#include "intents/CreateListIntent.h"

#include "intents/IntentKind.h"
#include "lexicon/VoiceResolution.h"
#include "platform/Unicode.h"

QString CreateListIntent::title() {
    return IntentKinds::title(IntentKind::createList);
}

QString CreateListIntent::namePrompt() {
    return QStringLiteral("What should it be called?");
}

void CreateListIntent::outcome(const IntentFrame& frame, const QString& listName,
                               const OutcomeHandler& done) {
    const QString name = Unicode::trimWhitespaceAndNewlines(listName);
    if (name.isEmpty()) {
        done(IntentOutcome::notDone(QStringLiteral("I didn't catch what to call it."),
                                    ExitCode::refused));
        return;
    }
    ListStore& store = frame.store();
    // Every list takes part, shared ones included. Several lists answering to the name leaves
    // it free.
    const ListMatch match = VoiceResolution::resolve(name, store.sortedLists());
    if (match.kind == ListMatch::Kind::matched) {
        done(IntentOutcome::notDone(QStringLiteral("You've already got a ") +
                                        match.lists.first().name + QStringLiteral(" list."),
                                    ExitCode::refused));
        return;
    }
    const TBList list = store.addList(name);
    frame.finishChange(QStringLiteral("Started ") + list.name + QStringLiteral("."), done,
                       [&store, id = list.id] { store.withdrawList(id); });
}
