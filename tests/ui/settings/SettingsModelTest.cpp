// The settings sheet's model: which sections show, every row's texts and accessibility texts,
// the stored settings with their fall-backs, the identity report and the version line.
#include "ui/settings/SettingsModel.h"
#include "SettingsTestStore.h"
#include "lexicon/VoiceController.h"
#include "lexicon/VoiceLog.h"
#include "model/NoteAuthor.h"
#include "ui/sound/SoundEffects.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using Section = SettingsSection;

class SettingsModelTest : public ::testing::Test {
protected:
    std::unique_ptr<SettingsModel> model(const QStringList& arguments = {"tallybird"},
                                         BundleInfo bundle = {}) {
        return std::make_unique<SettingsModel>(*test.store, &voice, arguments, bundle);
    }

    SettingsTestStore test;
    VoiceController voice;
};

TEST_F(SettingsModelTest, TheVoiceSectionShowsOnlyForItsExactArgument) {
    const QList<Section> plain{Section::account, Section::sync,       Section::sharing,
                               Section::sounds,  Section::appearance, Section::about};
    const QList<Section> withVoice{Section::account, Section::sync,   Section::sharing,
                                   Section::voice,   Section::sounds, Section::appearance,
                                   Section::about};
    const struct {
        const char* what;
        QStringList arguments;
        QList<Section> sections;
    } cases[] = {
        {"no argument", {"tallybird"}, plain},
        {"the argument", {"tallybird", "-uitest-voice"}, withVoice},
        {"among others", {"tallybird", "--profile", "/tmp/p", "-uitest-voice"}, withVoice},
        {"another case", {"tallybird", "-UITEST-VOICE"}, plain},
        {"part of an argument", {"tallybird", "-uitest-voice=1"}, plain},
        {"a longer prefix", {"tallybird", "--uitest-voice"}, plain},
    };
    for (const auto& c : cases) {
        const auto settings = model(c.arguments);
        EXPECT_EQ(settings->sections(), c.sections) << c.what;
        EXPECT_EQ(settings->showsVoiceDiagnostics(), c.sections.contains(Section::voice)) << c.what;
        EXPECT_EQ(settings->voiceRows().size(), c.sections.contains(Section::voice) ? 3 : 0)
            << c.what;
    }
    // Without a voice controller there is nothing for the voice rows to set.
    SettingsModel noVoice(*test.store, nullptr, {"tallybird", "-uitest-voice"}, {});
    EXPECT_FALSE(noVoice.sections().contains(Section::voice));
}

TEST_F(SettingsModelTest, SectionTitlesShowInCapitals) {
    const struct {
        Section section;
        const char* title;
        const char* heading;
    } cases[] = {
        {Section::sync, "Sync", "SYNC"},
        {Section::sharing, "Sharing", "SHARING"},
        {Section::voice, "Voice", "VOICE"},
        {Section::sounds, "Sounds", "SOUNDS"},
        {Section::appearance, "Appearance", "APPEARANCE"},
        {Section::about, "About", "ABOUT"},
        {Section::account, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SettingsModel::sectionTitle(c.section), c.title);
        EXPECT_EQ(SettingsModel::sectionHeading(c.section), c.heading);
    }
}

TEST_F(SettingsModelTest, EachExplanationFoldsOnItsOwnAndSaysItsState) {
    using E = SettingsExplanation;
    const struct {
        E explanation;
        const char* label;
        const char* starts;
    } cases[] = {
        {E::name, "About your name", "What people see beside notes"},
        {E::sync, "About syncing", "Switch this off on a device"},
        {E::sounds, "About sounds", "Click either one to hear the choices"},
        {E::microphone, "About the microphone", "The microphone only runs while"},
        {E::technicalDetails, "Technical details", ""},
    };
    const auto settings = model();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_FALSE(settings->isOpen(c.explanation)) << "closed on every opening";
        AccessibleSpec closed = settings->disclosureAccessible(c.explanation);
        EXPECT_EQ(closed.label, c.label);
        EXPECT_EQ(closed.value, "Collapsed");
        EXPECT_EQ(closed.hint, "Shows the explanation");
        if (*c.starts) { // the technical details show the identity instead of a text
            EXPECT_TRUE(SettingsModel::explanationText(c.explanation).startsWith(c.starts));
        }

        settings->toggle(c.explanation);
        const AccessibleSpec open = settings->disclosureAccessible(c.explanation);
        EXPECT_EQ(open.value, "Expanded");
        EXPECT_EQ(open.hint, "Hides the explanation");
        for (const auto& other : cases)
            EXPECT_EQ(settings->isOpen(other.explanation), other.explanation == c.explanation);
        settings->toggle(c.explanation);
        EXPECT_FALSE(settings->isOpen(c.explanation));
    }
}

TEST_F(SettingsModelTest, TheNameIsStoredTrimmedAndShownAsTyped) {
    const auto settings = model();
    EXPECT_EQ(settings->authorName(), "") << "nothing stored: the placeholder shows";
    EXPECT_EQ(SettingsModel::namePlaceholder(), "Your name");

    settings->setAuthorName("  Ann Lee \t");
    EXPECT_EQ(settings->authorName(), "  Ann Lee \t");
    EXPECT_EQ(test.defaults->string(NoteAuthor::preferredNameKey), "Ann Lee");
    settings->setAuthorName("");
    EXPECT_EQ(test.defaults->string(NoteAuthor::preferredNameKey), "") << "cleared, not removed";

    // A name stored by another screen or process replaces the field's text.
    NoteAuthor::setPreferredName(*test.defaults, "Bo");
    EXPECT_EQ(settings->authorName(), "Bo");
    EXPECT_EQ(model()->authorName(), "Bo") << "a new opening reads the stored name";
}

TEST_F(SettingsModelTest, TheSyncSwitchIsTheStoresSetting) {
    const auto settings = model();
    EXPECT_TRUE(settings->syncOn()) << "on while nothing is stored";
    const AccessibleSpec accessible = SettingsModel::syncAccessible();
    EXPECT_EQ(accessible.label, "Sync with the cloud container");
    EXPECT_EQ(accessible.hint, "Turn off to keep your lists on this device only");

    QSignalSpy changed(settings.get(), &SettingsModel::changed);
    settings->setSyncOn(false);
    EXPECT_FALSE(test.store->syncEnabled());
    EXPECT_FALSE(settings->syncOn());
    EXPECT_GE(changed.size(), 1);
    test.defaults->setBool("cloudSyncEnabled", true); // switched on elsewhere
    EXPECT_TRUE(settings->syncOn());
    test.defaults->setString("cloudSyncEnabled", "no");
    EXPECT_TRUE(settings->syncOn()) << "a value that is not a Boolean reads as on";
}

TEST_F(SettingsModelTest, TheCirclesRowCountsCircles) {
    const struct {
        int count;
        const char* summary;
    } cases[] = {{0, "None yet"}, {1, "1 circle"}, {2, "2 circles"}, {12, "12 circles"}};
    for (const auto& c : cases)
        EXPECT_EQ(SettingsModel::circleSummary(c.count), c.summary);

    const auto settings = model();
    EXPECT_EQ(settings->circleCount(), 0);
    EXPECT_EQ(settings->circlesAccessible().label, "Circles, a group you share to, None yet");
    QSignalSpy changed(settings.get(), &SettingsModel::changed);
    test.store->addCircle("Family");
    EXPECT_EQ(changed.size(), 1) << "the count follows the store";
    EXPECT_EQ(settings->circlesAccessible().label, "Circles, a group you share to, 1 circle");
    test.store->addCircle("Climbing");
    test.store->addCircle("Work");
    EXPECT_EQ(settings->circleCount(), 3);
    EXPECT_EQ(settings->circlesAccessible().label, "Circles, a group you share to, 3 circles");
    EXPECT_EQ(SettingsModel::circlesLabel(), "Circles");
    EXPECT_EQ(SettingsModel::circlesDetail(), "A group you share to");
}

TEST_F(SettingsModelTest, VoiceRowsMarkAndChooseTheActivation) {
    const auto settings = model({"tallybird", "-uitest-voice"});
    const QList<SettingsModel::VoiceRow> rows = settings->voiceRows();
    ASSERT_EQ(rows.size(), 3);
    const struct {
        VoiceActivation activation;
        const char* title;
        const char* starts;
        bool divider;
    } expected[] = {
        {VoiceActivation::off, "Off", "The microphone is never used", true},
        {VoiceActivation::tapToTalk, "Click to talk", "A microphone button on your lists", true},
        {VoiceActivation::whenAppOpens, "Listen when the app opens", "Starts listening", false},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].activation, expected[i].activation);
        EXPECT_EQ(rows[i].title, expected[i].title);
        EXPECT_TRUE(rows[i].description.startsWith(expected[i].starts)) << expected[i].title;
        EXPECT_EQ(rows[i].dividerAfter, expected[i].divider);
        EXPECT_EQ(rows[i].accessible.label, expected[i].title);
        EXPECT_EQ(rows[i].chosen, i == 0) << "a fresh controller is off";
        EXPECT_EQ(rows[i].accessible.traits.testFlag(AccessibleTrait::selected), i == 0);
    }
    settings->chooseActivation(VoiceActivation::tapToTalk);
    EXPECT_EQ(voice.activation(), VoiceActivation::tapToTalk);
    EXPECT_TRUE(settings->voiceRows()[1].chosen);
    EXPECT_FALSE(settings->voiceRows()[0].chosen);
}

TEST_F(SettingsModelTest, SoundRowsShowTheChoiceOrItsDefault) {
    const auto settings = model();
    const struct {
        const char* what;
        std::optional<QString> added, completed;
        const char* addedLabel;
        const char* completedLabel;
    } cases[] = {
        {"nothing stored", std::nullopt, std::nullopt, "Tick", "Ding"},
        {"both chosen", "chime", "none", "Chime", "None"},
        {"an id from a later version", "gong", "done", "Tick", "Done"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test.defaults->remove("soundChoice.itemAdded");
        test.defaults->remove("soundChoice.itemCompleted");
        if (c.added)
            test.defaults->setString("soundChoice.itemAdded", *c.added);
        if (c.completed)
            test.defaults->setString("soundChoice.itemCompleted", *c.completed);
        const QList<SettingsModel::SoundRow> rows = settings->soundRows();
        ASSERT_EQ(rows.size(), 2) << "adding and completing only";
        EXPECT_EQ(rows[0].label, "Adding");
        EXPECT_EQ(rows[0].choiceLabel, c.addedLabel);
        EXPECT_EQ(rows[0].accessible.label, QString("Adding sound, ") + c.addedLabel);
        EXPECT_EQ(rows[1].label, "Completing");
        EXPECT_EQ(rows[1].accessible.label, QString("Completing sound, ") + c.completedLabel);
    }
    EXPECT_EQ(test.defaults->string("soundChoice.itemAdded"), "gong")
        << "an unknown choice is shown as the default, never written back";
}

TEST_F(SettingsModelTest, TheSoundSwitchHidesTheRowsAndPlaysWhenSwitchedOn) {
    const auto settings = model();
    EXPECT_TRUE(settings->soundOn()) << "on while nothing is stored";
    EXPECT_EQ(SettingsModel::soundsAccessible().label, "Sound effects");
    EXPECT_EQ(SettingsModel::soundsAccessible().hint,
              "A short sound when you add an item, and when you tick one off");

    settings->setSoundOn(false);
    EXPECT_EQ(test.defaults->boolValue(SoundEffects::enabledKey), false);
    EXPECT_TRUE(settings->soundRows().isEmpty());
    EXPECT_TRUE(test.sounds->played.isEmpty()) << "switching off plays nothing";

    settings->setSoundOn(true);
    EXPECT_EQ(settings->soundRows().size(), 2);
    EXPECT_EQ(test.sounds->played, QStringList{"Glass"}) << "the completion sound, ding";
    settings->setSoundOn(true);
    EXPECT_EQ(test.sounds->played.size(), 1) << "only a change to on plays";
}

TEST_F(SettingsModelTest, AppearanceReadsUnknownValuesAsSystem) {
    const auto settings = model();
    EXPECT_EQ(SettingsModel::appearanceTitles(), QStringList({"System", "Light", "Dark"}));
    const struct {
        const char* what;
        std::optional<QString> stored;
        Appearance shown;
    } cases[] = {
        {"nothing stored", std::nullopt, Appearance::system},
        {"light", "light", Appearance::light},
        {"dark", "dark", Appearance::dark},
        {"an unknown value", "sepia", Appearance::system},
        {"another case", "Dark", Appearance::system},
    };
    for (const auto& c : cases) {
        test.defaults->remove("appearance");
        if (c.stored)
            test.defaults->setString("appearance", *c.stored);
        EXPECT_EQ(settings->appearance(), c.shown) << c.what;
    }
    settings->setAppearance(Appearance::dark);
    EXPECT_EQ(test.defaults->string("appearance"), "dark");
}

TEST_F(SettingsModelTest, TheVersionLineShowsWhatTheBuildWasGiven) {
    const struct {
        const char* what;
        BundleInfo bundle;
        const char* line;
    } cases[] = {
        {"everything", {"0.4.1", "57", "1a2b3c4"}, "VERSION 0.4.1 (57) · 1a2b3c4"},
        {"no build number", {"0.4.1", std::nullopt, "1a2b3c4"}, "VERSION 0.4.1 (—) · 1a2b3c4"},
        {"outside a checkout", {"0.4.1", "57", std::nullopt}, "VERSION 0.4.1 (57) · unknown"},
        {"nothing", {}, "VERSION — (—) · unknown"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(model({"tallybird"}, c.bundle)->versionLine(), c.line) << c.what;
    EXPECT_EQ(SettingsModel::promise(), "Free forever. No account, no ads, nothing collected.");
    EXPECT_EQ(SettingsModel::privacy(),
              "Your lists live in your own cloud container. They are never sent to us.");
}

TEST_F(SettingsModelTest, TheIdentityNoteShowsOnlyForTwoDifferentIds) {
    const struct {
        const char* what;
        std::optional<QString> privateName, sharedName;
        bool note;
        const char* report;
    } cases[] = {
        {"no identity", std::nullopt, std::nullopt, false,
         "The cloud container has not identified this device yet."},
        {"one scope", "_ann", std::nullopt, false, "private: _ann"},
        {"the same id in both", "_ann", "_ann", false, "private: _ann · shared: _ann"},
        {"two ids", "_ann", "_bob", true, "private: _ann · shared: _bob"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsTestStore fresh;
        if (c.privateName)
            fresh.store->signedIn(*c.privateName, EngineScope::privateDatabase);
        if (c.sharedName)
            fresh.store->signedIn(*c.sharedName, EngineScope::sharedDatabase);
        SettingsModel settings(*fresh.store, nullptr, {"tallybird"}, {});
        EXPECT_EQ(settings.identityNote().has_value(), c.note);
        EXPECT_EQ(settings.identityReport(), c.report);
        EXPECT_EQ(settings.identityAccessibleLabel(), QString("Cloud identity: ") + c.report);
    }
}

TEST_F(SettingsModelTest, TheDiagnosisShowsOnlyWhenStored) {
    const auto settings = model();
    EXPECT_EQ(settings->diagnosis(), std::nullopt);
    test.defaults->setString("notes.authorDiagnosis", "Name came from the contact card.");
    EXPECT_EQ(settings->diagnosis(), "Name came from the contact card.");
}

TEST_F(SettingsModelTest, CopyingTheVoiceLogSaysSoUntilTheSheetCloses) {
    const auto settings = model({"tallybird", "-uitest-voice"});
    QStringList clipboard;
    settings->setClipboardWriter([&](const QString& text) { clipboard << text; });
    EXPECT_EQ(settings->copyLogTitle(), "Copy voice log");
    EXPECT_EQ(settings->copyLogAccessible().label, "Copy voice log");
    settings->copyVoiceLog();
    EXPECT_EQ(clipboard, QStringList{VoiceLog::emptyMessage}) << "no session recorded yet";
    EXPECT_EQ(settings->copyLogTitle(), "Voice log copied");
    EXPECT_EQ(settings->copyLogAccessible().label, "Voice log copied to the clipboard");
    settings->copyVoiceLog();
    EXPECT_EQ(clipboard.size(), 2) << "a second click copies again";
    EXPECT_EQ(model({"tallybird", "-uitest-voice"})->copyLogTitle(), "Copy voice log");
}

TEST_F(SettingsModelTest, TheSpeechEngineChoiceSetsAndClearsTheOverride) {
    const auto settings = model({"tallybird", "-uitest-voice"});
    QStringList titles;
    for (const auto& option : SettingsModel::engineOptions())
        titles << option.title;
    EXPECT_EQ(titles, QStringList({"Automatic", "System recogniser", "Dictation transcriber",
                                   "Transcriber, full"}));
    EXPECT_EQ(settings->chosenEngineIndex(), 0);
    settings->chooseEngine(2);
    EXPECT_EQ(voice.engineOverride(), VoiceEngineChoice::Engine::dictation);
    EXPECT_EQ(settings->chosenEngineIndex(), 2);
    settings->chooseEngine(0);
    EXPECT_EQ(voice.engineOverride(), std::nullopt) << "Automatic clears the override";
    settings->chooseEngine(9);
    EXPECT_EQ(voice.engineOverride(), std::nullopt);
}

} // namespace
