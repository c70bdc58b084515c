#pragma once

#include <QWidget>

// The bar at the top of the settings sheet: "Settings" centred on the brand colour and a
// "Done" capsule at the trailing edge. The title stays centred in the whole bar whatever the
// width of the button.
class SettingsHeaderBar : public QWidget {
    Q_OBJECT
public:
    explicit SettingsHeaderBar(QWidget* parent = nullptr);

signals:
    void doneRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
};
