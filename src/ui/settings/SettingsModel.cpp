// The settings sheet's state, texts and actions.
#include "SettingsModel.h"

#include "SoundPickerModel.h"
#include "lexicon/VoiceController.h"
#include "lexicon/VoiceLog.h"
#include "model/NoteAuthor.h"
#include "platform/Defaults.h"
#include "platform/PlatformWording.h"
#include "store/ListStore.h"
#include "ui/sound/SoundEffects.h"
#include "ui/window/AboutContent.h"

#include <set>

namespace {

AccessibleTraits selectedIf(bool selected) {
    return selected ? AccessibleTraits(AccessibleTrait::selected) : AccessibleTraits();
}

} // namespace

SettingsModel::SettingsModel(ListStore& store, VoiceController* voice, QStringList launchArguments,
                             BundleInfo bundle, QObject* parent)
    : QObject(parent), store_(store), defaults_(store.defaults()), voice_(voice),
      arguments_(std::move(launchArguments)), bundle_(std::move(bundle)),
      authorName_(NoteAuthor::preferredName(defaults_)) {
    connect(&defaults_, &Defaults::changed, this, &SettingsModel::settingChanged);
    // Circles and the identity come from the store, and other screens announce settings they
    // wrote through it.
    connect(&store_, &ListStore::changed, this, &SettingsModel::changed);
    connect(&store_, &ListStore::identityChanged, this, &SettingsModel::changed);
    if (voice_)
        connect(voice_, &VoiceController::changed, this, &SettingsModel::changed);
}

void SettingsModel::settingChanged(const QString& key) {
    // The field keeps what was typed; a name stored elsewhere replaces it.
    if (key == NoteAuthor::preferredNameKey &&
        NoteAuthor::preferredName(defaults_) != authorName_.trimmed())
        authorName_ = NoteAuthor::preferredName(defaults_);
    emit changed();
}

bool SettingsModel::voiceShown() const {
    return voice_ && arguments_.contains(voiceArgument, Qt::CaseSensitive);
}

QList<SettingsSection> SettingsModel::sections() const {
    QList<SettingsSection> sections{SettingsSection::account, SettingsSection::sync,
                                    SettingsSection::sharing};
    if (voiceShown())
        sections.append(SettingsSection::voice);
    sections.append({SettingsSection::sounds, SettingsSection::appearance, SettingsSection::about});
    return sections;
}

QString SettingsModel::sectionTitle(SettingsSection section) {
    switch (section) {
    case SettingsSection::account:
        return {};
    case SettingsSection::sync:
        return QStringLiteral("Sync");
    case SettingsSection::sharing:
        return QStringLiteral("Sharing");
    case SettingsSection::voice:
        return QStringLiteral("Voice");
    case SettingsSection::sounds:
        return QStringLiteral("Sounds");
    case SettingsSection::appearance:
        return QStringLiteral("Appearance");
    case SettingsSection::about:
        break;
    }
    return QStringLiteral("About");
}

// --- Folded explanations ---

void SettingsModel::toggle(SettingsExplanation explanation) {
    if (!open_.remove(explanation))
        open_.insert(explanation);
    emit changed();
}

AccessibleSpec SettingsModel::disclosureAccessible(SettingsExplanation explanation) const {
    const bool open = isOpen(explanation);
    return {disclosureLabel(explanation),
            open ? QStringLiteral("Hides the explanation")
                 : QStringLiteral("Shows the explanation"),
            open ? QStringLiteral("Expanded") : QStringLiteral("Collapsed"),
            {},
            {}};
}

QString SettingsModel::disclosureLabel(SettingsExplanation explanation) {
    switch (explanation) {
    case SettingsExplanation::name:
        return QStringLiteral("About your name");
    case SettingsExplanation::sync:
        return QStringLiteral("About syncing");
    case SettingsExplanation::sounds:
        return QStringLiteral("About sounds");
    case SettingsExplanation::microphone:
        return QStringLiteral("About the microphone");
    case SettingsExplanation::technicalDetails:
        break;
    }
    return QStringLiteral("Technical details");
}

QString SettingsModel::explanationText(SettingsExplanation explanation) {
    switch (explanation) {
    case SettingsExplanation::name:
        return QStringLiteral("What people see beside notes you add to shared lists. Any name "
                              "you like — kept on this device, never sent to us.");
    case SettingsExplanation::sync:
        return PlatformWording::syncExplanation();
    case SettingsExplanation::sounds:
        return QStringLiteral(
            "Click either one to hear the choices — every sound plays as you select it, so you "
            "never have to guess from the name. Adding several things quickly only sounds once, "
            "so typing out a whole list is not a drum roll.");
    case SettingsExplanation::microphone:
        return PlatformWording::microphoneExplanation();
    case SettingsExplanation::technicalDetails:
        break;
    }
    return {}; // its content is the identity report and the diagnosis
}

// --- Account ---

void SettingsModel::setAuthorName(const QString& typed) {
    authorName_ = typed;
    NoteAuthor::setPreferredName(defaults_, typed);
}

QString SettingsModel::accountNote() {
    return PlatformWording::accountNote();
}

// --- Sync ---

AccessibleSpec SettingsModel::syncAccessible() {
    return {
        syncLabel(), QStringLiteral("Turn off to keep your lists on this device only"), {}, {}, {}};
}

bool SettingsModel::syncOn() const {
    return store_.syncEnabled();
}

void SettingsModel::setSyncOn(bool on) {
    store_.setSyncEnabled(on);
}

// --- Sharing ---

int SettingsModel::circleCount() const {
    return int(store_.circles().size());
}

QString SettingsModel::circleSummary(int count) {
    if (count == 0)
        return QStringLiteral("None yet");
    if (count == 1)
        return QStringLiteral("1 circle");
    return QString::number(count) + QStringLiteral(" circles");
}

AccessibleSpec SettingsModel::circlesAccessible() const {
    return {QStringLiteral("Circles, a group you share to, ") + circleSummary(circleCount()),
            {},
            {},
            {},
            {}};
}

// --- Voice ---

QList<SettingsModel::VoiceRow> SettingsModel::voiceRows() const {
    QList<VoiceRow> rows;
    if (!voiceShown())
        return rows;
    const QList<VoiceActivation>& all = allVoiceActivations();
    for (qsizetype i = 0; i < all.size(); ++i) {
        VoiceRow row{all[i], {}, {}, all[i] == voice_->activation(), i + 1 < all.size(), {}};
        switch (row.activation) {
        case VoiceActivation::off:
            row.title = QStringLiteral("Off");
            row.description =
                QStringLiteral("The microphone is never used, and Tallybird never asks for it.");
            break;
        case VoiceActivation::tapToTalk:
            row.title = PlatformWording::clickToTalk();
            row.description = PlatformWording::clickToTalkDescription();
            break;
        case VoiceActivation::whenAppOpens:
            row.title = QStringLiteral("Listen when the app opens");
            row.description = PlatformWording::listenOnOpenDescription();
            break;
        }
        row.accessible = {row.title, {}, {}, selectedIf(row.chosen), {}};
        rows.append(row);
    }
    return rows;
}

void SettingsModel::chooseActivation(VoiceActivation activation) {
    if (voice_)
        voice_->setActivation(activation);
}

// --- Sounds ---

AccessibleSpec SettingsModel::soundsAccessible() {
    return {soundsLabel(),
            QStringLiteral("A short sound when you add an item, and when you tick one off"),
            {},
            {},
            {}};
}

bool SettingsModel::soundOn() const {
    return SoundEffects::isEnabled(defaults_);
}

void SettingsModel::setSoundOn(bool on) {
    const bool was = soundOn();
    defaults_.setBool(SoundEffects::enabledKey, on);
    if (on && !was)
        SoundEffects::play(SoundEffect::itemCompleted);
}

QList<SettingsModel::SoundRow> SettingsModel::soundRows() const {
    QList<SoundRow> rows;
    if (!soundOn())
        return rows;
    // The voice-mode sounds have no row: this build has no voice mode.
    for (SoundEffect effect : {SoundEffect::itemAdded, SoundEffect::itemCompleted}) {
        SoundRow row{effect,
                     SoundPickerModel::effectLabel(effect),
                     SoundEffects::chosen(defaults_, effect).label,
                     {}};
        row.accessible = {row.label + QStringLiteral(" sound, ") + row.choiceLabel, {}, {}, {}, {}};
        rows.append(row);
    }
    return rows;
}

// --- Appearance ---

QStringList SettingsModel::appearanceTitles() {
    return {QStringLiteral("System"), QStringLiteral("Light"), QStringLiteral("Dark")};
}

Appearance SettingsModel::appearance() const {
    return AppearanceSetting::stored(defaults_);
}

void SettingsModel::setAppearance(Appearance appearance) {
    AppearanceSetting::store(defaults_, appearance);
}

// --- About ---

// The same statements as the About box's.
QString SettingsModel::promise() {
    return AboutContent::of({}).promise;
}

QString SettingsModel::privacy() {
    return AboutContent::of({}).privacy;
}

QString SettingsModel::versionLine() const {
    return QStringLiteral("VERSION ") + bundle_.versionLine();
}

std::optional<QString> SettingsModel::identityNote() const {
    std::set<QString> names;
    for (const auto& entry : store_.identity().byScope)
        names.insert(entry.second);
    if (names.size() <= 1)
        return std::nullopt;
    return QStringLiteral("The two sync engines report different ids for you. Notes you wrote "
                          "under either are still yours.");
}

QString SettingsModel::identityReport() const {
    return store_.identity().report();
}

std::optional<QString> SettingsModel::diagnosis() const {
    return defaults_.string(diagnosisKey);
}

QString SettingsModel::copyLogTitle() const {
    return copiedVoiceLog_ ? QStringLiteral("Voice log copied") : QStringLiteral("Copy voice log");
}

AccessibleSpec SettingsModel::copyLogAccessible() const {
    return {copiedVoiceLog_ ? QStringLiteral("Voice log copied to the clipboard")
                            : QStringLiteral("Copy voice log"),
            QStringLiteral("Copies what voice mode did in the last session, so it can be pasted "
                           "into a message"),
            {},
            {},
            {}};
}

void SettingsModel::copyVoiceLog() {
    if (clipboardWriter_)
        clipboardWriter_(VoiceLog::shared().copyableText());
    copiedVoiceLog_ = true;
    emit changed();
}

void SettingsModel::setClipboardWriter(std::function<void(const QString&)> writer) {
    clipboardWriter_ = std::move(writer);
}

QString SettingsModel::engineHint() {
    return QStringLiteral("Forces one speech engine so two voice logs can be compared. "
                          "Automatic picks the best this device can run.");
}

QList<SettingsModel::EngineOption> SettingsModel::engineOptions() {
    using VoiceEngineChoice::Engine;
    return {{std::nullopt, QStringLiteral("Automatic")},
            {Engine::system, QStringLiteral("System recogniser")},
            {Engine::dictation, QStringLiteral("Dictation transcriber")},
            {Engine::transcriber, QStringLiteral("Transcriber, full")}};
}

int SettingsModel::chosenEngineIndex() const {
    const QList<EngineOption> options = engineOptions();
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (voice_ && options[i].engine == voice_->engineOverride())
            return int(i);
    }
    return 0;
}

void SettingsModel::chooseEngine(int index) {
    const QList<EngineOption> options = engineOptions();
    if (voice_ && index >= 0 && index < options.size())
        voice_->setEngineOverride(options[index].engine);
}
