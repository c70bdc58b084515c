#pragma once

#include "ui/components/AccessibleSpec.h"
#include "ui/sound/SoundEffect.h"

#include <QList>
#include <QString>

class Defaults;

// The page that chooses the sound of one effect: every sound of the table, the chosen one
// marked. Choosing a row stores its id under the effect's "soundChoice." key at once and plays
// it as a sample, whether or not sounds are switched on. The mark is read from the settings
// once, when the page is made; after that only the page's own choices move it. Main thread only.
class SoundPickerModel {
public:
    struct Row {
        QString id;
        QString label;
        bool chosen = false;
        bool dividerAfter = false; // every row but the last
        AccessibleSpec accessible;
    };

    SoundPickerModel(SoundEffect effect, Defaults& defaults);

    SoundEffect effect() const { return effect_; }
    QString title() const { return effectLabel(effect_); }
    QString explanation() const;
    static QString closingNote();
    QString backLabel() const { return QStringLiteral("Settings"); }
    QList<Row> rows() const;
    QString chosenID() const { return chosenID_; }

    // Marks, stores and plays the option with that id; an id that is not in the table is ignored.
    void choose(const QString& id);

    // What the settings call each effect: "Adding", "Completing", "Not understood",
    // "Microphone stopped", "Changing mode".
    static QString effectLabel(SoundEffect effect);

private:
    SoundEffect effect_;
    Defaults& defaults_;
    QString chosenID_;
};
