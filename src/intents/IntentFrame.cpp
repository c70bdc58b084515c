#include "intents/IntentFrame.h"

#include <utility>

IntentFrame::SyncStep IntentFrame::noSync() {
    return [](ListStore&, SyncDone done) { done(std::nullopt); };
}

IntentFrame::IntentFrame(ListStore& store, Defaults& defaults, SyncStep sync)
    : store_(store), defaults_(defaults), sync_(sync ? std::move(sync) : noSync()) {}

std::optional<TBList> IntentFrame::findList(const QString& listID) const {
    for (const TBList& list : store_.sortedLists()) {
        if (list.id == listID)
            return list;
    }
    return std::nullopt;
}

void IntentFrame::markVoiceCommandRun() const {
    const QString key = QStringLiteral("siri.voiceCommandHasRun");
    // Set once: every write replaces the settings file, on this thread and under its lock,
    // which a burst of requests would otherwise wait for one after another.
    if (!defaults_.boolValue(key).value_or(false))
        defaults_.setBool(key, true);
}

QString IntentFrame::notSavedReply(const ListStore& store) {
    const QString reply =
        QStringLiteral("The change could not be saved to “%1”.").arg(store.fileURL());
    if (store.lastSaveError().isEmpty())
        return reply;
    return reply + QStringLiteral(" ") + store.lastSaveError();
}

std::optional<IntentOutcome> IntentFrame::refusal() const {
    // Like a view-only list, a store from a newer Tallybird is there and says no.
    if (store_.editRefusal())
        return IntentOutcome::failed(*store_.editRefusal(), ExitCode::refused);
    if (store_.lockError())
        return IntentOutcome::failed(*store_.lockError(), ExitCode::unreachable);
    return std::nullopt;
}

void IntentFrame::finishChange(const QString& reply, const OutcomeHandler& done,
                               const TakeBack& takeBack, const QString& listID) const {
    if (store_.lockError()) {
        takeBack();
        done(IntentOutcome::failed(*store_.lockError(), ExitCode::unreachable));
        return;
    }
    // The store writes on a thread of its own: the reply waits for the save that holds the
    // change, so that nobody is told of a change that is not on disk. When no save could write
    // it, it is taken back before the answer goes: in the window's store, where it would
    // otherwise stay and be written by the next save that succeeds, a request tried again
    // after the failure would be made twice. Whatever else that save held stays, to be
    // written with the next change.
    store_.whenSaved([frame = *this, reply, done, takeBack, listID](bool saved) {
        if (!saved) {
            takeBack();
            done(IntentOutcome::failed(notSavedReply(frame.store_), ExitCode::notSaved));
            return;
        }
        frame.markVoiceCommandRun();
        // The reply is the same whether or not the sync succeeds: the change is saved either
        // way. A failed sync is said apart from it, and so is a list the sync found view only
        // (the change was made while it could be, and nobody else will ever get it) or held by
        // someone else in the cloud (a later sync sends it).
        frame.sync_(frame.store_, [frame, done, reply,
                                   listID](const std::optional<QString>& error) {
            std::optional<QString> notSynced = error;
            if (!notSynced && !listID.isEmpty()) {
                const TBList* list = frame.store_.findList(listID);
                if (list && list->isViewOnly())
                    notSynced = viewOnlyNowReason(list->name);
                else if (list && frame.store_.listHeldElsewhere(listID))
                    notSynced = heldElsewhereReason(list->name);
            }
            done(IntentOutcome::reply(reply, notSynced ? notSyncedNote(*notSynced) : QString()));
        });
    });
}
