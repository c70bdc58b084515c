#pragma once

#include "ui/theme/DynamicColour.h"

#include <QWidget>

class QVBoxLayout;

// A page of the gallery: samples stacked under small captions on a theme background.
class GalleryBoard : public QWidget {
public:
    explicit GalleryBoard(DynamicColour background);

    // Adds a caption and, under it, the sample (which the board takes over).
    void add(const QString& caption, QWidget* sample, Qt::Alignment alignment = {});
    void addStretch();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DynamicColour background_;
    QVBoxLayout* layout_;
};
