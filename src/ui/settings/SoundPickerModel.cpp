// The sound picker's rows and choice.
#include "SoundPickerModel.h"

#include "platform/Defaults.h"
#include "platform/PlatformWording.h"
#include "ui/sound/SoundEffectPlayer.h"
#include "ui/sound/SoundEffects.h"

SoundPickerModel::SoundPickerModel(SoundEffect effect, Defaults& defaults)
    : effect_(effect), defaults_(defaults), chosenID_(SoundEffects::chosen(defaults, effect).id) {}

QString SoundPickerModel::explanation() const {
    if (effect_ == SoundEffect::itemAdded)
        return QStringLiteral("Played when you add an item. Adding several quickly only sounds "
                              "once.");
    return QStringLiteral("Played when you tick an item off.");
}

QString SoundPickerModel::closingNote() {
    return PlatformWording::soundSettingsNote();
}

QList<SoundPickerModel::Row> SoundPickerModel::rows() const {
    const QList<SoundOption>& options = SoundEffects::options();
    const QString hint =
        QStringLiteral("Plays it and uses it for ") + effectLabel(effect_).toLower();
    QList<Row> rows;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const SoundOption& option = options[i];
        Row row;
        row.id = option.id;
        row.label = option.label;
        row.chosen = option.id == chosenID_;
        row.dividerAfter = i + 1 < options.size();
        row.accessible = {option.label,
                          hint,
                          {},
                          row.chosen ? AccessibleTraits(AccessibleTrait::selected)
                                     : AccessibleTraits(),
                          {}};
        rows.append(row);
    }
    return rows;
}

void SoundPickerModel::choose(const QString& id) {
    const SoundOption& option = SoundEffects::option(id);
    if (option.id != id)
        return;
    chosenID_ = id;
    defaults_.setString(SoundEffects::choiceKey(effect_), id);
    SoundEffectPlayer::shared().preview(option);
}

QString SoundPickerModel::effectLabel(SoundEffect effect) {
    switch (effect) {
    case SoundEffect::itemAdded:
        return QStringLiteral("Adding");
    case SoundEffect::itemCompleted:
        return QStringLiteral("Completing");
    case SoundEffect::unhappy:
        return QStringLiteral("Not understood");
    case SoundEffect::micStopped:
        return QStringLiteral("Microphone stopped");
    case SoundEffect::modeChanged:
        break;
    }
    return QStringLiteral("Changing mode");
}
