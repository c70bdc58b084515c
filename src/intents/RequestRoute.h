#pragma once

#include "intents/IntentFrame.h"
#include "intents/IntentRequest.h"
#include "platform/Defaults.h"
#include "store/StoreLocation.h"

#include <QString>

#include <functional>

// How a command-line request reaches the store. When a program holds the store it gets the
// request over its socket and makes the change through its own store, so neither side writes
// over the other's document. Only when no program runs does the request open the store file
// itself, under the store's lock.
class RequestRoute {
public:
    struct Settings {
        SharedStore::Source source;
        QString serverName;
        IntentFrame::SyncStep sync = IntentFrame::noSync();
        // How long to wait for a store held by another short request to come free.
        int storeWaitMs = 5'000;
    };

    RequestRoute(Settings settings, Defaults& defaults);

    IntentOutcome perform(const IntentRequest& request) const;

    // Said when a program took the request but gave no valid answer.
    static QString lostAnswer() {
        return QStringLiteral("Tallybird did not answer, so the change may not have been made.");
    }

private:
    IntentOutcome performLocally(ListStore& store, const IntentRequest& request) const;

    Settings settings_;
    Defaults& defaults_;
};
