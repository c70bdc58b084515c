#pragma once

#include <QWidget>

class QAbstractButton;

// The coloured bar across the top of the lists page: the mark and "Tallybird" on the brand
// colour, and a gear that asks for the settings. None of its sizes follows the text scale.
class BrandHeader : public QWidget {
    Q_OBJECT
public:
    explicit BrandHeader(QWidget* parent = nullptr);

    QAbstractButton* settingsButton() const { return gear_; }

signals:
    void settingsRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QAbstractButton* gear_;
};
