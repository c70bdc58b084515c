#pragma once

#include "lexicon/VoiceSettings.h"
#include "platform/BundleInfo.h"
#include "platform/PlatformWording.h"
#include "ui/components/AccessibleSpec.h"
#include "ui/sound/SoundEffect.h"
#include "ui/theme/Appearance.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>
#include <optional>

class Defaults;
class ListStore;
class VoiceController;

// The settings sheet's sections, in the order they can appear.
enum class SettingsSection { account, sync, sharing, voice, sounds, appearance, about };

// The folded explanations of the sheet; each starts closed on every opening.
enum class SettingsExplanation { name, sync, sounds, microphone, technicalDetails };

// The settings sheet: its sections, every text and accessibility text, the stored settings it
// shows and the actions that change them. Every setting is written the moment it changes, so
// closing the sheet saves nothing. The sheet follows the settings and the store as they
// change, here, on another screen or in another process (Defaults::changed), and announces
// changed() after each such change. Main thread only.
class SettingsModel : public QObject {
    Q_OBJECT
public:
    // The launch argument that shows the voice settings, matched as a whole argument.
    static inline const QString voiceArgument = QStringLiteral("-uitest-voice");
    static inline const QString diagnosisKey = QStringLiteral("notes.authorDiagnosis");

    struct VoiceRow {
        VoiceActivation activation;
        QString title;
        QString description;
        bool chosen = false;
        bool dividerAfter = false;
        AccessibleSpec accessible;
    };
    struct SoundRow {
        SoundEffect effect;
        QString label;       // "Adding"
        QString choiceLabel; // the chosen sound's label, "Tick"
        AccessibleSpec accessible;
    };
    struct EngineOption {
        std::optional<VoiceEngineChoice::Engine> engine; // none: "Automatic"
        QString title;
    };

    // The settings are the store's (ListStore::defaults()); `voice` may be null (no voice rows
    // then, whatever the arguments say).
    SettingsModel(ListStore& store, VoiceController* voice, QStringList launchArguments,
                  BundleInfo bundle, QObject* parent = nullptr);

    QList<SettingsSection> sections() const;
    // "Sync", "Sharing", … as given; the sheet shows it in capitals. None for the account block.
    static QString sectionTitle(SettingsSection section);
    static QString sectionHeading(SettingsSection section) {
        return sectionTitle(section).toUpper();
    }

    // --- Folded explanations ---
    bool isOpen(SettingsExplanation explanation) const { return open_.contains(explanation); }
    void toggle(SettingsExplanation explanation);
    // The chevron or disclosure title that folds it: its label ("About your name"), "Expanded"
    // or "Collapsed" and the hint of what a click does.
    AccessibleSpec disclosureAccessible(SettingsExplanation explanation) const;
    static QString disclosureLabel(SettingsExplanation explanation);
    static QString explanationText(SettingsExplanation explanation);

    // --- Account ---
    static QString namePlaceholder() { return QStringLiteral("Your name"); }
    // The field's text as typed; the stored copy is trimmed.
    QString authorName() const { return authorName_; }
    void setAuthorName(const QString& typed);
    static QString accountNote();

    // --- Sync ---
    static QString syncLabel() { return PlatformWording::syncSwitch(); }
    static AccessibleSpec syncAccessible();
    bool syncOn() const;
    void setSyncOn(bool on);

    // --- Sharing ---
    int circleCount() const;
    // "None yet", "1 circle", "12 circles".
    static QString circleSummary(int count);
    static QString circlesLabel() { return QStringLiteral("Circles"); }
    static QString circlesDetail() { return QStringLiteral("A group you share to"); }
    AccessibleSpec circlesAccessible() const;

    // --- Voice (only with the launch argument) ---
    QList<VoiceRow> voiceRows() const;
    void chooseActivation(VoiceActivation activation);

    // --- Sounds ---
    static QString soundsLabel() { return QStringLiteral("Sound effects"); }
    static AccessibleSpec soundsAccessible();
    bool soundOn() const;
    // Stores the switch; switching on plays the completion sound once.
    void setSoundOn(bool on);
    // The effects that have a choice row (adding and completing), while sounds are on.
    QList<SoundRow> soundRows() const;

    // --- Appearance ---
    static QStringList appearanceTitles(); // "System", "Light", "Dark"
    static QString appearanceLabel() { return QStringLiteral("Appearance"); }
    // The stored choice; a missing or unknown value reads as system.
    Appearance appearance() const;
    void setAppearance(Appearance appearance);

    // --- About ---
    static QString promise();
    static QString privacy();
    QString versionLine() const; // "VERSION 0.4.1 (57) · 1a2b3c4"
    // When the two sync engines saw different user record names, a note that says so.
    std::optional<QString> identityNote() const;
    QString identityReport() const;
    QString identityAccessibleLabel() const {
        return PlatformWording::identityLabel(identityReport());
    }
    std::optional<QString> diagnosis() const;

    // The voice diagnostics (only with the launch argument).
    bool showsVoiceDiagnostics() const { return voiceShown(); }
    QString copyLogTitle() const;
    AccessibleSpec copyLogAccessible() const;
    // Puts the voice log on the clipboard through `writer` (the sheet's clipboard) and says so
    // from then on.
    void copyVoiceLog();
    void setClipboardWriter(std::function<void(const QString&)> writer);
    static QString engineTitle() { return QStringLiteral("Speech engine"); }
    static QString engineHint();
    static QList<EngineOption> engineOptions();
    int chosenEngineIndex() const;
    void chooseEngine(int index);

signals:
    void changed();

private:
    bool voiceShown() const;
    void settingChanged(const QString& key);

    ListStore& store_;
    Defaults& defaults_;
    VoiceController* voice_;
    QStringList arguments_;
    BundleInfo bundle_;
    QString authorName_;
    QSet<SettingsExplanation> open_;
    bool copiedVoiceLog_ = false;
    std::function<void(const QString&)> clipboardWriter_;
};
