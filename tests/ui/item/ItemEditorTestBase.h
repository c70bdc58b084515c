// What the item editor's tests share: a store, the standard settings and a sound recorder, and
// counting the store's announced changes.
#pragma once

#include "detail/DetailTestStore.h"
#include "support/ManualMonotonicClock.h"
#include "support/RecordingSoundOutput.h"
#include "ui/sound/SoundEffectPlayer.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

class ItemEditorTestBase : public ::testing::Test {
public:
    ItemEditorTestBase() {
        Defaults::setStandard(settings);
        SoundEffectPlayer::setShared(
            std::make_unique<SoundEffectPlayer>(std::make_shared<ManualMonotonicClock>(), sound));
    }
    ~ItemEditorTestBase() override {
        SoundEffectPlayer::setShared(nullptr);
        Defaults::setStandard(nullptr);
    }

    QString textOf(const QString& itemID) const {
        const TBItem* item = t.store->findItem(itemID);
        return item ? item->text : QStringLiteral("<gone>");
    }
    // Someone else's list shared with this user, read-only or read-write.
    void shareReadOnly(const TBList& list, bool readOnly) {
        t.shareFromOwner(list.id,
                         readOnly ? TBSharePermission::readOnly : TBSharePermission::readWrite);
    }

    DetailTestStore t;
    std::shared_ptr<MemoryDefaults> settings = std::make_shared<MemoryDefaults>();
    std::shared_ptr<RecordingSoundOutput> sound = std::make_shared<RecordingSoundOutput>();
};
