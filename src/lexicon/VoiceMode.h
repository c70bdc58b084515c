#pragma once

#include <QString>

#include <optional>

// Where voice commands would apply.
enum class VoiceContext { listsPage, inList, addMode, completeMode, namingList };

// Whether the microphone is listening.
enum class CaptureState { stopped, listening };

// Why voice is not available; on this build it is always switched off.
enum class VoiceUnavailable { switchedOff };

struct VoiceMode {
    VoiceContext context = VoiceContext::listsPage;
    CaptureState capture = CaptureState::stopped;
    std::optional<QString> openListID;

    bool operator==(const VoiceMode&) const = default;
};
