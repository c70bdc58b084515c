#pragma once

#include <QWidget>

class Defaults;
class QAbstractButton;

// The "Smaller text" and "Bigger text" buttons for a screen's own toolbar (the window's toolbar
// has its own pair). A screen that asks for them with `visible` false gets no buttons at all.
// Each press stores the next scale, which rebuilds the window's content at the new size.
class TextScaleToolbarItems : public QWidget {
    Q_OBJECT
public:
    // The buttons over the "textScale" setting of `defaults`.
    explicit TextScaleToolbarItems(Defaults& defaults, QWidget* parent = nullptr);

    // The buttons for a screen's toolbar, or none (nullptr) when they are not to be shown.
    static TextScaleToolbarItems* make(bool visible, Defaults& defaults, QWidget* parent = nullptr);

    QAbstractButton* smallerButton() const { return smaller_; }
    QAbstractButton* biggerButton() const { return bigger_; }

private:
    void refresh();

    Defaults& defaults_;
    QAbstractButton* smaller_;
    QAbstractButton* bigger_;
};
