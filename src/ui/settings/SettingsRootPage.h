#pragma once

#include "SettingsModel.h"

#include <QWidget>

#include <functional>

class QVBoxLayout;
class SettingsHeaderBar;

// The settings sheet's first page: the header bar with Done over one scrolling column of
// cards, a card per section in the model's order. It is built once; each model change updates
// the pieces that show it (a folded explanation, a switch, a count, a check mark), so typing in
// the name field never loses the focus.
class SettingsRootPage : public QWidget {
    Q_OBJECT
public:
    // `circlesOpen` is false while this build has no circles page: the row then shows the
    // count only and takes no clicks.
    SettingsRootPage(SettingsModel& model, bool circlesOpen, QWidget* parent = nullptr);

    SettingsHeaderBar* header() const { return header_; }

signals:
    void doneRequested();
    void soundPickerRequested(SoundEffect effect);
    void circlesRequested();

private:
    void refresh();
    QWidget* section(SettingsSection section);
    QWidget* titled(SettingsSection section, QList<QWidget*> cards);
    QWidget* account();
    QWidget* sync();
    QWidget* sharing();
    QWidget* voice();
    QWidget* sounds();
    QWidget* appearance();
    QList<QWidget*> about();
    // A row's trailing chevron and the explanation it folds, kept in step with the model.
    QWidget* chevron(SettingsExplanation explanation);
    QWidget* explanation(SettingsExplanation explanation);
    QWidget* disclosure(SettingsExplanation explanation, QWidget* content);

    SettingsModel& model_;
    bool circlesOpen_;
    SettingsHeaderBar* header_;
    QList<std::function<void()>> refreshers_;
};
