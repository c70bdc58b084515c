// A store over in-memory settings that are also the program's standard settings (the sounds
// and the appearance read those), in a temporary folder, for the settings sheet's tests.
#pragma once

#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "support/QStringPrinting.h"
#include "ui/sound/SoundEffectPlayer.h"
#include "ui/theme/ThemeAppearance.h"

#include "support/ManualMonotonicClock.h"
#include "support/RecordingSoundOutput.h"

#include <QTemporaryDir>

#include <memory>

class SettingsTestStore {
public:
    SettingsTestStore()
        : defaults(std::make_shared<MemoryDefaults>()), clock(Date(800'000'000)),
          sounds(std::make_shared<RecordingSoundOutput>()) {
        Defaults::setStandard(defaults);
        ThemeAppearance::shared().setSystemPrefersDark(false);
        ThemeAppearance::shared().start();
        SoundEffectPlayer::setShared(
            std::make_unique<SoundEffectPlayer>(std::make_shared<ManualMonotonicClock>(), sounds));
        store =
            std::make_unique<ListStore>(dir.filePath("store.json"), false, false, *defaults, clock);
    }
    ~SettingsTestStore() {
        store.reset();
        Defaults::setStandard(std::make_shared<MemoryDefaults>());
        ThemeAppearance::shared().start();
    }

    QTemporaryDir dir;
    std::shared_ptr<MemoryDefaults> defaults;
    FixedClock clock;
    std::shared_ptr<RecordingSoundOutput> sounds;
    std::unique_ptr<ListStore> store;
};
