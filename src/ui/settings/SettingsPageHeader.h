#pragma once

#include <QWidget>

// The bar of a page pushed over the settings: a back button at the leading edge and the page's
// title centred in the whole bar.
class SettingsPageHeader : public QWidget {
    Q_OBJECT
public:
    SettingsPageHeader(const QString& title, QWidget* parent = nullptr);

signals:
    void backRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
};
