#pragma once

#include "intents/IntentFrame.h"
#include "intents/IntentRequest.h"
#include "intents/ListDirectory.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "store/StoreLocation.h"

#include <QString>

#include <functional>
#include <memory>

// How a command-line request reaches the store. When a program holds the store it gets the
// request over its socket and makes the change through its own store, so neither side writes
// over the other's document. Only when no program runs does the request open the store file
// itself, under the store's lock, after waiting its turn behind other requests doing the same.
class RequestRoute {
public:
    using Notice = std::function<void(const QString& note)>;

    // Brings this device up to date from the cloud before anything reads the store, in place of
    // a program that would.
    struct CatchUp {
        // Whether the cloud may hold anything the store has not taken in, told without opening
        // the store. Absent: always.
        std::function<bool()> due;
        // Brings it into the store, opened for this request under its turn; says on `notice`
        // when it could not. Absent: nothing to bring.
        std::function<void(ListStore& store, const Notice& notice)> run;
        // Says, once the request is over, what the catch-up left to be said then: that an
        // upload it began goes on is true only if the request's own sync did not send the rest.
        // Absent: nothing.
        std::function<void(const Notice& notice)> settle;
        // Says on `notice`, once a request answering from the store knows its list, when that
        // list cannot be brought up to date just then: someone is changing it elsewhere.
        // Absent: nothing.
        std::function<void(ListStore& store, const QString& listID, const Notice& notice)> held;
        // Gives a store opened for writing its cloud half before anything changes it, whether
        // or not the cloud can be reached and whether or not sync is on: what a sending cut
        // short left beside the store file is taken in first. Absent: nothing to take in.
        std::function<void(ListStore& store)> attach;
    };

    struct Settings {
        SharedStore::Source source;
        QString serverName;
        IntentFrame::SyncStep sync = IntentFrame::noSync();
        // How long a request may wait for the program to take it, or for its turn at the store
        // behind other requests.
        int waitMs = 60'000;
        // Where notes about the store file go (a damaged file's copy).
        Notice notice;
        // Brings this device up to date before a request; absent: nothing to bring.
        CatchUp catchUp;
        QString indexPath; // the list index; empty: its usual place
    };

    RequestRoute(Settings settings, Defaults& defaults);
    // Lets go of the store it holds, then says what the catch-up left to say.
    ~RequestRoute();
    RequestRoute(const RequestRoute&) = delete;
    RequestRoute& operator=(const RequestRoute&) = delete;

    IntentOutcome perform(const IntentRequest& request) const;

    // Brings the device up to date when that is due (see CatchUp) and no program runs. The
    // store it took for that stays held, under its turn, for the next request, so that a
    // request loads the store once.
    void catchUp() const;
    // Lets go of a store catchUp() held: before waiting on a person, or handing over.
    void letGo() const;
    // Before a list of a `kind` request is looked up by name, when no program runs and the
    // list index no longer answers for the store file (another writer changed it): takes the
    // store now, as the request will, and brings the index up to date from it. The look-up then
    // reads the index, and the request the store held for it, so that the store is read once.
    void takeStoreForLookUp(IntentKind kind) const;

    // Where this route finds every list.
    ListDirectory directory() const;

    // Said when a program took the request but gave no valid answer.
    static QString lostAnswer() {
        return QStringLiteral("Tallybird did not answer, so the change may not have been made.");
    }
    // Said when the device could not be brought up to date.
    static QString notCaughtUpNote(const QString& why) {
        return QStringLiteral("Tallybird could not sync, so changes made on other devices may be "
                              "missing: %1")
            .arg(why);
    }
    // Said when the list a request answers from is being changed elsewhere, so that what that
    // change brings is not in it yet.
    static QString heldListNote(const QString& listName) {
        return QStringLiteral("Tallybird could not bring “%1” up to date because someone is "
                              "changing it elsewhere.")
            .arg(listName);
    }
    // Said when the program could not take the request within the wait.
    static QString busyAnswer() {
        return QStringLiteral("Tallybird was too busy to take the request; nothing was changed.");
    }

private:
    // The store opened for writing, under the request's turn, with its cloud half when it can
    // write.
    std::unique_ptr<ListStore> writingStore(const QString& storeFile) const;
    IntentOutcome performLocally(ListStore& store, const IntentRequest& request) const;
    void refreshIndex(ListStore& store) const;
    QString indexPath() const;

    struct Held;

    Settings settings_;
    Defaults& defaults_;
    mutable std::shared_ptr<Held> held_;
};
