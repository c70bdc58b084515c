#include "lexicon/SiriHintSheet.h"
#include "lexicon/VoiceController.h"
#include "lexicon/VoiceLog.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

TEST(VoiceController, StartsSwitchedOffAndAnnouncesChanges) {
    VoiceController controller;
    EXPECT_EQ(controller.unavailable(), VoiceUnavailable::switchedOff);
    EXPECT_EQ(controller.activation(), VoiceActivation::off);
    EXPECT_EQ(controller.pause(), PauseLength::normal);
    EXPECT_FALSE(controller.engineOverride().has_value());
    EXPECT_FALSE(controller.visibleListID().has_value());
    EXPECT_EQ(controller.mode(), VoiceMode{});
    EXPECT_EQ(controller.mode().context, VoiceContext::listsPage);

    QSignalSpy spy(&controller, &VoiceController::changed);
    controller.setVisibleListID(QStringLiteral("L1"));
    controller.setActivation(VoiceActivation::tapToTalk);
    controller.setEngineOverride(VoiceEngineChoice::Engine::dictation);
    controller.setMode({VoiceContext::inList, CaptureState::stopped, QStringLiteral("L1")});
    EXPECT_EQ(spy.count(), 4);
    EXPECT_EQ(controller.visibleListID(), QStringLiteral("L1"));
    EXPECT_EQ(controller.unavailable(), VoiceUnavailable::switchedOff);
}

TEST(VoiceSettings, RawValuesInOrderAndCaseExact) {
    const auto raws = [](const auto& all) {
        QStringList texts;
        for (const auto value : all) {
            texts.append(rawValue(value));
        }
        return texts;
    };
    EXPECT_EQ(raws(allVoiceActivations()), (QStringList{"off", "tapToTalk", "whenAppOpens"}));
    EXPECT_EQ(raws(allPauseLengths()), (QStringList{"quick", "normal", "relaxed"}));
    EXPECT_EQ(raws(VoiceEngineChoice::allEngines()),
              (QStringList{"system", "dictation", "transcriber"}));

    EXPECT_EQ(voiceActivationFromRaw("whenAppOpens"), VoiceActivation::whenAppOpens);
    EXPECT_EQ(pauseLengthFromRaw("relaxed"), PauseLength::relaxed);
    EXPECT_EQ(VoiceEngineChoice::engineFromRaw("transcriber"),
              VoiceEngineChoice::Engine::transcriber);
    EXPECT_FALSE(voiceActivationFromRaw("WhenAppOpens").has_value());
    EXPECT_FALSE(pauseLengthFromRaw("").has_value());
    EXPECT_FALSE(VoiceEngineChoice::engineFromRaw("System").has_value());
}

TEST(VoiceLog, CopyableText) {
    EXPECT_EQ(VoiceLog::shared().copyableText(),
              "No voice session has been recorded on this device yet. Start voice mode, say a few "
              "items, stop, then copy again.");
    EXPECT_EQ(VoiceLog({"a", "b"}).copyableText(), "a\nb");
    EXPECT_EQ(VoiceLog({""}).copyableText(), VoiceLog::emptyMessage);
    EXPECT_EQ(VoiceLog({"", ""}).copyableText(), "\n");
}

TEST(SiriHintSheet, DismissesItselfWhenShown) {
    int notNow = 0;
    int forGood = 0;
    const SiriHintSheet sheet{[&] { ++forGood; }, [&] { ++notNow; }};
    sheet.shown();
    EXPECT_EQ(notNow, 1);
    EXPECT_EQ(forGood, 0);
}
