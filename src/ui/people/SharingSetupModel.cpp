// The sharing set-up sheet's state and its one action.
#include "SharingSetupModel.h"

#include "model/NoteAuthor.h"
#include "platform/Unicode.h"

SharingSetupModel::SharingSetupModel(Defaults& defaults, QObject* parent)
    : QObject(parent), defaults_(defaults) {}

QString SharingSetupModel::explanation() {
    return QStringLiteral(
        "This is what the people you share with see beside your notes. Any name you like.");
}

void SharingSetupModel::setLabel(const QString& label) {
    if (label == label_)
        return;
    label_ = label;
    emit changed();
}

bool SharingSetupModel::canContinue() const {
    return !Unicode::trimWhitespaceAndNewlines(label_).isEmpty();
}

bool SharingSetupModel::commit() {
    if (!canContinue())
        return false;
    NoteAuthor::setPreferredName(defaults_, Unicode::trimWhitespaceAndNewlines(label_));
    return true;
}
