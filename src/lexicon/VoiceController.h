#pragma once

#include "lexicon/VoiceMode.h"
#include "lexicon/VoiceSettings.h"

#include <QObject>
#include <QString>

#include <optional>

// The voice state the screens observe. This build has no voice capture: the controller reports
// voice as switched off, never starts listening, and stores none of its fields. Setting a field
// announces the change and does nothing else.
class VoiceController : public QObject {
    Q_OBJECT
public:
    explicit VoiceController(QObject* parent = nullptr);

    const VoiceMode& mode() const { return mode_; }
    void setMode(const VoiceMode& mode);

    std::optional<VoiceUnavailable> unavailable() const { return unavailable_; }

    const std::optional<QString>& visibleListID() const { return visibleListID_; }
    void setVisibleListID(const std::optional<QString>& listID);

    VoiceActivation activation() const { return activation_; }
    void setActivation(VoiceActivation activation);

    PauseLength pause() const { return pause_; }

    std::optional<VoiceEngineChoice::Engine> engineOverride() const { return engineOverride_; }
    void setEngineOverride(std::optional<VoiceEngineChoice::Engine> engine);

signals:
    void changed();

private:
    VoiceMode mode_;
    std::optional<VoiceUnavailable> unavailable_ = VoiceUnavailable::switchedOff;
    std::optional<QString> visibleListID_;
    VoiceActivation activation_ = VoiceActivation::off;
    PauseLength pause_ = PauseLength::normal;
    std::optional<VoiceEngineChoice::Engine> engineOverride_;
};
