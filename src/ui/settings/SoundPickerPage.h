#pragma once

#include "SoundPickerModel.h"

#include <QWidget>

class QAbstractButton;
class SymbolView;

// The page that chooses one effect's sound: the explanation, a card with one row per sound
// (the chosen one checked) and a closing note, under a bar with Back. A click on a row chooses,
// stores and plays that sound.
class SoundPickerPage : public QWidget {
    Q_OBJECT
public:
    SoundPickerPage(SoundEffect effect, Defaults& defaults, QWidget* parent = nullptr);

    const SoundPickerModel& model() const { return model_; }
    // The row buttons, in the table's order.
    QList<QAbstractButton*> rowButtons() const { return buttons_; }

signals:
    void backRequested();

private:
    void refresh();

    SoundPickerModel model_;
    QList<QAbstractButton*> buttons_;
    QList<SymbolView*> marks_;
};
