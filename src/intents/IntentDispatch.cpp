#include "intents/IntentDispatch.h"

#include "intents/AddItemIntent.h"
#include "intents/CompleteItemIntent.h"
#include "intents/CreateListIntent.h"
#include "intents/OpenListIntent.h"
#include "intents/ReadListIntent.h"

void IntentDispatch::perform(const IntentRequest& request, const IntentFrame& frame,
                             const OutcomeHandler& done) {
    // A change the store cannot keep is refused before anything is changed.
    const bool changes = request.kind == IntentKind::addItem ||
                         request.kind == IntentKind::completeItem ||
                         request.kind == IntentKind::createList;
    if (changes) {
        if (const std::optional<IntentOutcome> refused = frame.refusal()) {
            done(*refused);
            return;
        }
    }
    switch (request.kind) {
    case IntentKind::addItem:
        AddItemIntent::outcome(frame, request.listID, request.text, done);
        return;
    case IntentKind::completeItem:
        CompleteItemIntent::outcome(frame, request.listID, request.text, request.itemID, done);
        return;
    case IntentKind::createList:
        CreateListIntent::outcome(frame, request.text, done);
        return;
    case IntentKind::readList:
        ReadListIntent::outcome(frame, request.listID, done);
        return;
    case IntentKind::openList:
        // Nothing to say: the window shows the list.
        OpenListIntent::perform(request.listID, frame.defaults());
        done(IntentOutcome::reply(QString()));
        return;
    }
}
