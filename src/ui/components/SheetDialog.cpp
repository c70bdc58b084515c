// The sheet base.
#include "SheetDialog.h"

#include "ui/theme/ThemeColour.h"

#include <QPainter>
#include <QPointer>
#include <QPushButton>

namespace {
QPointer<SheetDialog> current;
} // namespace

SheetDialog::SheetDialog(QWidget* parent) : QDialog(parent) {
    // Shown with show(), not exec(): no nested event loop, and modal to its own window only.
    setWindowModality(Qt::WindowModal);
}

SheetDialog::~SheetDialog() {
    if (current == this)
        current = nullptr;
}

SheetDialog* SheetDialog::shown() {
    return current;
}

bool SheetDialog::present() {
    if (current && current != this && current->isVisible())
        return false;
    current = this;
    show();
    raise();
    activateWindow();
    return true;
}

void SheetDialog::showEvent(QShowEvent* event) {
    // QPushButton becomes a default button of any dialog it is in as soon as it has the focus.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    current = this;
    QDialog::showEvent(event);
}

void SheetDialog::hideEvent(QHideEvent* event) {
    if (current == this)
        current = nullptr;
    QDialog::hideEvent(event);
}

void SheetDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::background.resolved());
}
