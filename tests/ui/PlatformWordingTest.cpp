// The texts the screens show or a screen reader speaks name what this desktop has: this
// computer, the cloud container, tallybird-cloud, the command line, a click, and the screen
// reader's "Press". None names the devices, services or gestures of another platform.
#include "platform/PlatformWording.h"
#include "lexicon/VoiceController.h"
#include "model/UserIdentity.h"
#include "store/SharingError.h"
#include "sync/CloudSharingSheet.h"
#include "ui/detail/ItemRowText.h"
#include "ui/editor/ListEditorModel.h"
#include "ui/item/NoteAuthorName.h"
#include "ui/lists/ListsScreenModel.h"
#include "ui/people/CircleDetailModel.h"
#include "ui/settings/SettingsModel.h"
#include "ui/settings/SoundPickerModel.h"
#include "ui/window/AboutContent.h"

#include "settings/SettingsTestStore.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct Shown {
    QString what;
    QString text;
};

// Every text of the screens that could name a platform: the settings, the About box, sharing,
// the notes' author names, circles, the list editor, and the screen reader's hints.
QList<Shown> shownTexts(SettingsModel& settings) {
    QList<Shown> texts;
    auto add = [&texts](const QString& what, const QString& text) { texts.append({what, text}); };
    auto addSpec = [&add](const QString& what, const AccessibleSpec& spec) {
        add(what + " label", spec.label);
        add(what + " hint", spec.hint);
        add(what + " value", spec.value);
    };

    for (SettingsSection section : settings.sections())
        add("section title", SettingsModel::sectionTitle(section));
    using Explanation = SettingsExplanation;
    for (Explanation explanation : {Explanation::name, Explanation::sync, Explanation::sounds,
                                    Explanation::microphone, Explanation::technicalDetails}) {
        add("disclosure", SettingsModel::disclosureLabel(explanation));
        add("explanation", SettingsModel::explanationText(explanation));
    }
    add("account note", SettingsModel::accountNote());
    add("sync switch", SettingsModel::syncLabel());
    addSpec("sync switch", SettingsModel::syncAccessible());
    addSpec("circles row", settings.circlesAccessible());
    addSpec("sounds row", SettingsModel::soundsAccessible());
    add("identity", settings.identityReport());
    add("identity label", settings.identityAccessibleLabel());
    add("settings privacy", SettingsModel::privacy());
    add("engine hint", SettingsModel::engineHint());
    for (const SettingsModel::VoiceRow& row : settings.voiceRows()) {
        add("voice row title", row.title);
        add("voice row description", row.description);
        addSpec("voice row", row.accessible);
    }
    add("sound picker note", SoundPickerModel::closingNote());

    const AboutContent about = AboutContent::of({});
    for (const QString& text : {about.windowTitle, about.promise, about.privacy, about.closeTitle})
        add("about box", text);

    for (SharingError error : {SharingError::unknownList, SharingError::notTheOwner,
                               SharingError::notShared, SharingError::notAvailableHere})
        add("sharing error", errorDescription(error));
    const CloudSharingSheet sheet{
        cloud::Record::zoneWideShare(cloud::ZoneID{"TB-1"}), nullptr, "Groceries", {}};
    add("sharing sheet title", sheet.title());
    add("sharing sheet message", sheet.message());

    PersonNameComponents sam;
    sam.givenName = "Sam";
    const NoteAuthorName::Share fromShare{sam, std::nullopt, false};
    const NoteAuthorName::Share ownList{std::nullopt, sam, true};
    add("author name from the share", NoteAuthorName::choose(fromShare, {}).diagnosis);
    add("author name from the own list", NoteAuthorName::choose(ownList, {}).diagnosis);
    add("author name typed", NoteAuthorName::choose(std::nullopt, "Ann").diagnosis);
    add("no author name", NoteAuthorName::choose(std::nullopt, {}).diagnosis);

    add("circle member refused", CircleDetailModel::refusedHandle());
    add("identity of a new device", UserIdentity{}.report());
    add("starter tags", ListEditorModel::offerHint());
    add("item row hint", ItemRowText::textHint(true));
    add("view-only item row hint", ItemRowText::textHint(false));
    add("summary line hint", ListsScreenModel::summaryAccessibilityHint());
    using Hint = PlatformWording::Hint;
    for (Hint hint : {Hint::open, Hint::show, Hint::hide, Hint::remove, Hint::changeSummary})
        add("hint", PlatformWording::hint(hint));
    add("suggested tag hint", PlatformWording::suggestedTagHint());
    return texts;
}

TEST(PlatformWording, NoShownTextNamesAnotherPlatform) {
    SettingsTestStore test;
    VoiceController voice;
    SettingsModel settings(*test.store, &voice, {"tallybird", SettingsModel::voiceArgument}, {});
    // Devices, services and gestures this desktop does not have.
    const QRegularExpression otherPlatform(
        R"(\b(Mac|Mac's|macOS|OS X|iOS|iPhone|iPad|iCloud|Siri|Apple|Finder|VoiceOver|)"
        R"(CloudKit|Shortcuts|Spotlight)\b|\b(double[- ])?tap(s|ped|ping)?\b|\bswip)",
        QRegularExpression::CaseInsensitiveOption);
    const QList<Shown> texts = shownTexts(settings);
    ASSERT_GT(texts.size(), 50);
    for (const Shown& shown : texts) {
        SCOPED_TRACE(shown.what.toStdString() + ": " + shown.text.toStdString());
        const QRegularExpressionMatch match = otherPlatform.match(shown.text);
        EXPECT_FALSE(match.hasMatch()) << "names " << match.captured().toStdString();
    }
}

TEST(PlatformWording, TextsNameWhatThisProgramHas) {
    const struct {
        const char* what;
        QString text;
        QString names;
    } rows[] = {
        {"the invitation goes through the container's tool",
         errorDescription(SharingError::notAvailableHere), "tallybird-cloud"},
        {"sync names the container as the README does", SettingsModel::syncLabel(),
         "cloud container"},
        {"the About box too", AboutContent::of({}).privacy, "cloud container"},
        {"the machine is this computer", SoundPickerModel::closingNote(), "This computer's"},
        {"a chip is clicked", ListEditorModel::offerHint(), "click one"},
        {"the spoken phrase is the command line's", PlatformWording::listenOnOpenDescription(),
         "tallybird say"},
        {"a hint names the screen reader's action",
         PlatformWording::hint(PlatformWording::Hint::open), "Press to open"},
        {"the suggested tag's hint ends as a sentence", PlatformWording::suggestedTagHint(),
         "Press to remove."},
    };
    for (const auto& row : rows)
        EXPECT_TRUE(row.text.contains(row.names)) << row.what << ": " << row.text.toStdString();
    // The sharing sheet's second line adds no blank around the name beyond its own.
    EXPECT_EQ(PlatformWording::sharingUnavailableMessage("Groceries"),
              "Invite people with tallybird-cloud for now. Groceries will keep syncing here.");
}

} // namespace
