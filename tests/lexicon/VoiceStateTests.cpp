#include "lexicon/VoiceController.h"
#include "lexicon/VoiceLog.h"
#include "lexicon/VoiceShortcutHintSheet.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

TEST(VoiceController, StaysSwitchedOffAndAnnouncesEverySet) {
    VoiceController controller;
    QSignalSpy spy(&controller, &VoiceController::changed);
    const VoiceMode mode{VoiceContext::inList, CaptureState::stopped, QStringLiteral("L1")};
    controller.setMode(mode);
    controller.setMode(mode); // the same value is announced again
    controller.setVisibleListID(QStringLiteral("L1"));
    controller.setActivation(VoiceActivation::tapToTalk);
    controller.setEngineOverride(VoiceEngineChoice::Engine::dictation);
    EXPECT_EQ(spy.count(), 5);
    EXPECT_EQ(controller.unavailable(), VoiceUnavailable::switchedOff);
}

TEST(VoiceSettings, RawValuesInOrderAndCaseExact) {
    const auto check = [](const auto& all, const auto& fromRaw, const QStringList& expected) {
        QStringList texts;
        for (const auto value : all) {
            texts.append(rawValue(value));
            EXPECT_EQ(fromRaw(rawValue(value)), value);
        }
        EXPECT_EQ(texts, expected);
        EXPECT_FALSE(fromRaw(expected.last().toUpper()).has_value());
    };
    check(allVoiceActivations(), voiceActivationFromRaw, {"off", "tapToTalk", "whenAppOpens"});
    check(allPauseLengths(), pauseLengthFromRaw, {"quick", "normal", "relaxed"});
    check(VoiceEngineChoice::allEngines(), VoiceEngineChoice::engineFromRaw,
          {"system", "dictation", "transcriber"});
}

TEST(VoiceLog, CopyableText) {
    EXPECT_EQ(VoiceLog::shared().copyableText(),
              "No voice session has been recorded on this device yet. Start voice mode, say a few "
              "items, stop, then copy again.");
    EXPECT_EQ(VoiceLog({"a", "b"}).copyableText(), "a\nb");
    EXPECT_EQ(VoiceLog({""}).copyableText(), VoiceLog::emptyMessage);
    EXPECT_EQ(VoiceLog({"", ""}).copyableText(), "\n");
}

TEST(VoiceShortcutHintSheet, DismissesItselfWithNotNowWhenShown) {
    QStringList calls;
    VoiceShortcutHintSheet{[&] { calls << "for good"; }, [&] { calls << "not now"; }}.shown();
    EXPECT_EQ(calls, QStringList{"not now"});
}
