#pragma once

#include "ui/theme/DynamicColour.h"

#include <QWidget>

// A symbol drawn in a design colour, centred in a fixed square. Decorative: hidden from
// accessibility unless the caller gives it a label.
class SymbolView : public QWidget {
    Q_OBJECT
public:
    SymbolView(const QString& name, double designPoints, DynamicColour colour,
               QWidget* parent = nullptr);

    void setSymbol(const QString& name);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString name_;
    double designPoints_;
    DynamicColour colour_;
};
