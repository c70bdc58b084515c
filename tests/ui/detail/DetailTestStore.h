// A store in a temporary folder with fixed time and in-memory settings, for the list screen's
// tests, and helpers that build lists and items through the store's own operations.
#pragma once

#include "store/ListStore.h"
#include "support/QStringPrinting.h"

#include "platform/Clock.h"
#include "platform/Defaults.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>

class DetailTestStore {
public:
    static constexpr double start = 800'000'000; // seconds since 2001

    DetailTestStore()
        : clock(Date(start)), store(std::make_unique<ListStore>(dir.filePath("store.json"), false,
                                                                false, defaults, clock)) {}

    TBList list(const QString& name, TBListKind kind = TBListKind::oneOff) {
        TBList list = store->addList(name);
        if (kind != list.kind) {
            list.kind = kind;
            store->updateList(list);
        }
        return current(list.id);
    }
    // Adds an item and returns it as the store holds it.
    TBItem item(const TBList& list, const QString& text, bool done = false) {
        store->addItem(list.id, text);
        const QList<TBItem> items = store->items(list.id);
        TBItem added;
        for (const TBItem& item : items)
            if (item.text == text)
                added = item;
        if (done) {
            clock.advance(1);
            store->setDone(added.id, true);
        }
        return added;
    }
    TBList current(const QString& listID) {
        for (const TBList& list : store->lists())
            if (list.id == listID)
                return list;
        return {};
    }
    // Someone else's list, shared with this user.
    void shareFromOwner(const QString& listID, std::optional<TBSharePermission> permission) {
        TBList list = current(listID);
        list.zoneOwnerName = QStringLiteral("_owner");
        list.sharePermission = permission;
        store->updateList(list);
    }
    // The owner changed this user's rights on their shared list, as a sync pass takes it in.
    void permissionChanged(const QString& listID, TBSharePermission permission) {
        store->applySharePermission(listID, permission);
    }
    static void turn() { QCoreApplication::processEvents(); }
    static QStringList texts(const QList<TBItem>& items) {
        QStringList out;
        for (const TBItem& item : items)
            out.append(item.text);
        return out;
    }

    QTemporaryDir dir;
    MemoryDefaults defaults;
    FixedClock clock;
    std::unique_ptr<ListStore> store;
};
