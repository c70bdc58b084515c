#pragma once

#include "ui/components/AccessibleSpec.h"

#include <QWidget>

class PaintedButton;

// A folding block of a settings card: a hairline, then a title row whose chevron points down
// while closed and up while open, then, while open, the content padded 18 at the sides and 18
// below. The whole title row takes clicks. The open state is its owner's: a click announces
// toggleRequested(), and setOpen() shows the state with its accessibility texts.
class SettingsDisclosure : public QWidget {
    Q_OBJECT
public:
    SettingsDisclosure(const QString& label, QWidget* content, QWidget* parent = nullptr);

    void setOpen(bool open, const AccessibleSpec& accessible);
    bool isOpen() const;
    PaintedButton* titleButton() const { return title_; }

signals:
    void toggleRequested();

private:
    PaintedButton* title_;
    QWidget* body_;
};
