#pragma once

#include "cloud/Container.h"
#include "cloud/Record.h"

#include <QString>

#include <functional>
#include <memory>

// What the sharing sheet shows: inviting is not possible from this program yet, so it only
// explains that, naming the list. The share and container are held for when it can.
struct CloudSharingSheet {
    cloud::Record share;
    std::shared_ptr<cloud::Container> container;
    QString listName;
    std::function<void()> onChange;

    static constexpr double titlePointSize = 17;
    static constexpr double messagePointSize = 15;

    // The name the sheet gives a list that has gone.
    static QString missingListName() { return QStringLiteral("List"); }

    QString title() const;
    QString message() const;
};
