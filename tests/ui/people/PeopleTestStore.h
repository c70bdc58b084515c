// A store in a temporary folder with in-memory settings, for the people screens' tests.
#pragma once

#include "store/ListStore.h"
#include "support/QStringPrinting.h"

#include "platform/Clock.h"
#include "platform/Defaults.h"

#include <QTemporaryDir>

#include <memory>

class PeopleTestStore {
public:
    PeopleTestStore()
        : clock(Date(800'000'000)),
          store(std::make_unique<ListStore>(dir.filePath("store.json"), false, false, defaults,
                                            clock)) {}

    // A circle with people added by handle, as the circle screen adds them.
    TBCircle circle(const QString& name, const QStringList& handles = {}) {
        const TBCircle made = store->addCircle(name);
        for (const QString& handle : handles)
            store->addPerson(QString(), handle, made.id);
        return *store->circle(made.id);
    }

    QTemporaryDir dir;
    MemoryDefaults defaults;
    FixedClock clock;
    std::unique_ptr<ListStore> store;
};
