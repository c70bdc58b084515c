#pragma once

#include "intents/IntentKind.h"

#include <QString>

#include <optional>

// One request with its parameters resolved: what the command line hands to whoever holds the
// store, in this process or over the program's socket.
struct IntentRequest {
    IntentKind kind = IntentKind::addItem;
    QString listID; // every kind but createList
    QString text;   // addItem: the item; completeItem: the spoken item; createList: the name
    // completeItem only: the item the user chose among several that answered to `text`; `text`
    // then holds the chosen item's text.
    std::optional<QString> itemID;

    bool operator==(const IntentRequest&) const = default;
};
