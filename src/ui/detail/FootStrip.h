#pragma once

#include <QWidget>

// The strip at the foot of a list's pane (the add bar, the view-only note): its content in a
// reading column on the card colour, under a faint hairline across the whole width.
class FootStrip : public QWidget {
    Q_OBJECT
public:
    explicit FootStrip(QWidget* parent = nullptr) : QWidget(parent) {}

protected:
    // Puts the content into the strip's reading column; called once by the strip's constructor.
    void setColumn(QWidget* content);
    void paintEvent(QPaintEvent* event) override;
};
