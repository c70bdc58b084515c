// The sound picker: which sound is marked, what a choice stores and what it plays.
#include "SettingsTestStore.h"
#include "ui/settings/SoundPickerModel.h"
#include "ui/sound/SoundEffects.h"

#include <gtest/gtest.h>

namespace {

QString marked(const SoundPickerModel& picker) {
    QString id;
    for (const SoundPickerModel::Row& row : picker.rows()) {
        if (row.chosen)
            id += row.id;
    }
    return id;
}

TEST(SoundPicker, MarksTheStoredChoiceOrTheEffectsDefault) {
    const struct {
        const char* what;
        SoundEffect effect;
        std::optional<QString> stored;
        const char* marked;
    } cases[] = {
        {"adding, nothing stored", SoundEffect::itemAdded, std::nullopt, "tick"},
        {"completing, nothing stored", SoundEffect::itemCompleted, std::nullopt, "ding"},
        {"not understood", SoundEffect::unhappy, std::nullopt, "swoosh"},
        {"microphone stopped", SoundEffect::micStopped, std::nullopt, "done"},
        {"changing mode", SoundEffect::modeChanged, std::nullopt, "chime"},
        {"a stored choice", SoundEffect::itemAdded, "click", "click"},
        {"none stored", SoundEffect::itemCompleted, "none", "none"},
        {"an unknown id", SoundEffect::itemCompleted, "gong", "ding"},
    };
    for (const auto& c : cases) {
        SettingsTestStore test;
        if (c.stored)
            test.defaults->setString(SoundEffects::choiceKey(c.effect), *c.stored);
        SoundPickerModel picker(c.effect, *test.defaults);
        EXPECT_EQ(marked(picker), c.marked) << c.what;
        if (c.stored) {
            EXPECT_EQ(test.defaults->string(SoundEffects::choiceKey(c.effect)), *c.stored)
                << c.what << ": nothing is written back until a row is chosen";
        }
    }
}

TEST(SoundPicker, EveryPageListsAllEightSoundsWithItsTexts) {
    SettingsTestStore test;
    const struct {
        SoundEffect effect;
        const char* title;
        const char* explanation;
        const char* hint;
    } cases[] = {
        {SoundEffect::itemAdded, "Adding",
         "Played when you add an item. Adding several quickly only sounds once.",
         "Plays it and uses it for adding"},
        {SoundEffect::itemCompleted, "Completing", "Played when you tick an item off.",
         "Plays it and uses it for completing"},
        {SoundEffect::micStopped, "Microphone stopped", "Played when you tick an item off.",
         "Plays it and uses it for microphone stopped"},
    };
    for (const auto& c : cases) {
        SoundPickerModel picker(c.effect, *test.defaults);
        EXPECT_EQ(picker.title(), c.title);
        EXPECT_EQ(picker.explanation(), c.explanation);
        const QList<SoundPickerModel::Row> rows = picker.rows();
        QStringList labels;
        for (const SoundPickerModel::Row& row : rows) {
            labels << row.label;
            EXPECT_EQ(row.accessible.label, row.label);
            EXPECT_EQ(row.accessible.hint, c.hint);
            EXPECT_EQ(row.accessible.traits.testFlag(AccessibleTrait::selected), row.chosen);
            EXPECT_EQ(row.dividerAfter, row.id != "done") << "no divider after the last";
        }
        EXPECT_EQ(labels,
                  QStringList({"None", "Tick", "Tap", "Click", "Ding", "Chime", "Swoosh", "Done"}));
    }
    EXPECT_EQ(SoundPickerModel::closingNote(),
              "Click any of them to hear it. This computer's own sound settings still win.");
}

TEST(SoundPicker, ChoosingStoresAndPlaysEvenWithSoundsOff) {
    SettingsTestStore test;
    test.defaults->setBool(SoundEffects::enabledKey, false);
    SoundPickerModel picker(SoundEffect::itemAdded, *test.defaults);

    picker.choose("chime");
    EXPECT_EQ(marked(picker), "chime");
    EXPECT_EQ(test.defaults->string("soundChoice.itemAdded"), "chime");
    picker.choose("chime");
    EXPECT_EQ(test.sounds->played, QStringList({"Ping", "Ping"})) << "a second click replays";

    picker.choose("none");
    EXPECT_EQ(test.defaults->string("soundChoice.itemAdded"), "none");
    EXPECT_EQ(marked(picker), "none");
    EXPECT_EQ(test.sounds->played.size(), 2) << "None plays nothing";

    picker.choose("gong");
    EXPECT_EQ(marked(picker), "none") << "an id not in the table is ignored";
    EXPECT_EQ(test.defaults->string("soundChoice.itemAdded"), "none");
}

} // namespace
