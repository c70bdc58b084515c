#include "lexicon/VoiceController.h"

VoiceController::VoiceController(QObject* parent) : QObject(parent) {}

// Every assignment is announced, as observers of published values expect, even when the value
// is the same.
void VoiceController::setMode(const VoiceMode& mode) {
    mode_ = mode;
    emit changed();
}

void VoiceController::setVisibleListID(const std::optional<QString>& listID) {
    visibleListID_ = listID;
    emit changed();
}

void VoiceController::setActivation(VoiceActivation activation) {
    activation_ = activation;
    emit changed();
}

void VoiceController::setEngineOverride(std::optional<VoiceEngineChoice::Engine> engine) {
    engineOverride_ = engine;
    emit changed();
}
