// The sound table, the stored choices, and when an effect is heard.
#include "ui/sound/SoundEffects.h"
#include "support/ManualMonotonicClock.h"
#include "support/RecordingSoundOutput.h"
#include "ui/sound/SoundEffectPlayer.h"
#include "ui/sound/SoundPlayback.h"

#include "platform/Clock.h"
#include "platform/Defaults.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

TEST(SoundEffectsTest, TheTableOfSoundsInItsOrder) {
    struct Row {
        const char* id;
        const char* label;
        std::optional<quint32> systemSoundID;
        std::optional<QString> sound;
    };
    const Row rows[] = {
        {"none", "None", std::nullopt, std::nullopt},
        {"tick", "Tick", 1103, "Tink"},
        {"tap", "Tap", 1104, "Pop"},
        {"click", "Click", 1057, "Morse"},
        {"ding", "Ding", 1000, "Glass"},
        {"chime", "Chime", 1007, "Ping"},
        {"swoosh", "Swoosh", 1001, "Blow"},
        {"done", "Done", 1334, "Hero"},
    };
    ASSERT_EQ(SoundEffects::options().size(), int(std::size(rows)));
    for (int i = 0; i < SoundEffects::options().size(); ++i) {
        const SoundOption& option = SoundEffects::options().at(i);
        SCOPED_TRACE(rows[i].id);
        EXPECT_EQ(option, (SoundOption{rows[i].id, rows[i].label, rows[i].systemSoundID}));
        EXPECT_EQ(SoundPlayback::soundName(option), rows[i].sound);
    }
    EXPECT_EQ(SoundPlayback::soundName({"bell", "Bell", std::nullopt}), std::nullopt);
}

TEST(SoundEffectsTest, LookupsFallBackToNoneOrToTheEffectsDefault) {
    EXPECT_EQ(SoundEffects::option("chime").label, "Chime");
    EXPECT_EQ(SoundEffects::option("bell").id, "none");
    EXPECT_EQ(SoundEffects::option("Tick").id, "none"); // ids are exact
    struct Row {
        SoundEffect effect;
        const char* raw;
        const char* fallback;
    };
    const Row rows[] = {{SoundEffect::itemAdded, "itemAdded", "tick"},
                        {SoundEffect::itemCompleted, "itemCompleted", "ding"},
                        {SoundEffect::unhappy, "unhappy", "swoosh"},
                        {SoundEffect::micStopped, "micStopped", "done"},
                        {SoundEffect::modeChanged, "modeChanged", "chime"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.raw);
        EXPECT_EQ(SoundEffects::rawValue(row.effect), row.raw);
        EXPECT_EQ(SoundEffects::effectFromRaw(row.raw), row.effect);
        EXPECT_EQ(SoundEffects::choiceKey(row.effect), QString("soundChoice.") + row.raw);
        EXPECT_EQ(SoundEffects::option("bell", row.effect).id, row.fallback);
        EXPECT_EQ(SoundEffects::option("tap", row.effect).id, "tap");
        EXPECT_EQ(SoundEffects::option("none", row.effect).id, "none");
    }
}

TEST(SoundEffectsTest, SoundsAreOnUnlessABooleanFalseIsStored) {
    MemoryDefaults defaults;
    EXPECT_TRUE(SoundEffects::isEnabled(defaults));
    defaults.setBool("soundEffects", false);
    EXPECT_FALSE(SoundEffects::isEnabled(defaults));
    defaults.setBool("soundEffects", true);
    EXPECT_TRUE(SoundEffects::isEnabled(defaults));
    defaults.setInteger("soundEffects", 0); // another type reads as missing
    EXPECT_TRUE(SoundEffects::isEnabled(defaults));
    defaults.setString("soundEffects", "false");
    EXPECT_TRUE(SoundEffects::isEnabled(defaults));
}

// A player on a clock the test moves, recording what it plays, over fresh settings.
struct Fixture {
    std::shared_ptr<ManualMonotonicClock> clock = std::make_shared<ManualMonotonicClock>();
    std::shared_ptr<RecordingSoundOutput> output = std::make_shared<RecordingSoundOutput>();
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
    SoundEffectPlayer player{clock, output};

    Fixture() { Defaults::setStandard(defaults); }
    ~Fixture() { Defaults::setStandard(nullptr); }

    // Adds an item `after` seconds after the previous request.
    void addAfter(double after) {
        clock->advance(after);
        player.play(SoundEffect::itemAdded);
    }
};

TEST(SoundEffectPlayerTest, QuickAdditionsAreHeardOnceUntilAPauseLongerThanOneAndAHalfSeconds) {
    struct Row {
        const char* what;
        std::vector<double> gaps; // before each addition
        int heard;
    };
    const Row rows[] = {
        {"three additions half a second apart: only the first", {0, 0.5, 0.5}, 1},
        {"a fourth two seconds after the third plays again", {0, 0.5, 0.5, 2.0}, 2},
        {"exactly 1.5 seconds is still too soon", {0, 1.5}, 1},
        {"1.51 seconds plays", {0, 1.51}, 2},
        {"a run renews the stamp: each 1 s apart stays silent", {0, 1, 1, 1, 1}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Fixture fixture;
        for (double gap : row.gaps)
            fixture.addAfter(gap);
        EXPECT_EQ(fixture.output->played.size(), row.heard);
        EXPECT_EQ(fixture.output->played.value(0), "Tink");
    }
}

TEST(SoundEffectPlayerTest, SettingTheWallClockBackDoesNotSilenceTheNextAddition) {
    Fixture fixture;
    auto wall = std::make_shared<FixedClock>(Date(800000000));
    Clock::setShared(wall);
    fixture.addAfter(0);
    wall->advance(-3600); // the user sets the clock back an hour
    fixture.addAfter(2.0);
    Clock::setShared(nullptr);
    EXPECT_EQ(fixture.output->played, QStringList({"Tink", "Tink"}));
}

TEST(SoundEffectPlayerTest, SwitchedOffNothingPlaysYetAdditionsStillRenewTheStamp) {
    Fixture fixture;
    fixture.defaults->setBool("soundEffects", false);
    fixture.addAfter(0);
    fixture.player.play(SoundEffect::itemCompleted);
    EXPECT_TRUE(fixture.output->played.isEmpty());
    fixture.defaults->setBool("soundEffects", true);
    fixture.addAfter(1.0); // within 1.5 s of the silent one
    EXPECT_TRUE(fixture.output->played.isEmpty());
    fixture.addAfter(1.6);
    EXPECT_EQ(fixture.output->played, QStringList({"Tink"}));
}

TEST(SoundEffectPlayerTest, EachEffectPlaysItsChosenOrDefaultSound) {
    struct Row {
        const char* what;
        SoundEffect effect;
        std::optional<QString> choice;
        QStringList heard;
    };
    const Row rows[] = {
        {"no choice: item added ticks", SoundEffect::itemAdded, std::nullopt, {"Tink"}},
        {"no choice: completed dings", SoundEffect::itemCompleted, std::nullopt, {"Glass"}},
        {"no choice: unhappy swooshes", SoundEffect::unhappy, std::nullopt, {"Blow"}},
        {"no choice: mic stopped is done", SoundEffect::micStopped, std::nullopt, {"Hero"}},
        {"no choice: mode changed chimes", SoundEffect::modeChanged, std::nullopt, {"Ping"}},
        {"completed set to none is silent", SoundEffect::itemCompleted, "none", {}},
        {"completed set to an unknown id dings", SoundEffect::itemCompleted, "bell", {"Glass"}},
        {"added set to tap", SoundEffect::itemAdded, "tap", {"Pop"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Fixture fixture;
        if (row.choice)
            fixture.defaults->setString(SoundEffects::choiceKey(row.effect), *row.choice);
        fixture.player.play(row.effect);
        EXPECT_EQ(fixture.output->played, row.heard);
    }
}

TEST(SoundEffectPlayerTest, OtherEffectsAreNeverHeldBack) {
    Fixture fixture;
    fixture.player.play(SoundEffect::itemCompleted);
    fixture.player.play(SoundEffect::itemCompleted);
    fixture.addAfter(0);
    fixture.player.play(SoundEffect::itemCompleted);
    EXPECT_EQ(fixture.output->played, QStringList({"Glass", "Glass", "Tink", "Glass"}));
}

TEST(SoundResourcesTest, EverySoundIsAShortMonoWaveOfOurOwn) {
    for (const QString& name : SoundPlayback::allSoundNames()) {
        SCOPED_TRACE(name.toStdString());
        QFile file(SoundPlayback::resourcePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray wav = file.readAll();
        ASSERT_GE(wav.size(), 44);
        EXPECT_EQ(wav.mid(0, 4), "RIFF");
        EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
        const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(wav.constData() + at); };
        const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(wav.constData() + at); };
        EXPECT_EQ(u16(20), 1);  // PCM
        EXPECT_EQ(u16(22), 1);  // mono
        EXPECT_EQ(u16(34), 16); // bits
        const double seconds = double(u32(40)) / (u32(24) * 2.0);
        EXPECT_GT(seconds, 0.05);
        EXPECT_LE(seconds, 1.2);
        qint16 peak = 0;
        for (int at = 44; at + 1 < wav.size(); at += 2)
            peak = qMax(peak, qint16(qAbs(qFromLittleEndian<qint16>(wav.constData() + at))));
        EXPECT_GT(peak, 10000); // not silent
    }
}

} // namespace
