// The sheet base.
#include "SheetDialog.h"

#include "FocusReturn.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>
#include <QPointer>
#include <QPushButton>

namespace {
QPointer<SheetDialog> current;

// The nearest shown sheet this sheet stands over (a prompt raised by an editor sheet).
SheetDialog* shownOwner(const QWidget* sheet) {
    for (QWidget* owner = sheet->parentWidget(); owner; owner = owner->parentWidget()) {
        auto* owning = qobject_cast<SheetDialog*>(owner);
        if (owning && owning->isVisible())
            return owning;
    }
    return nullptr;
}
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
    // One sheet at a time, but a sheet may raise its own prompt over itself.
    if (current && current != this && current->isVisible() && current != shownOwner(this))
        return false;
    current = this;
    // When it closes, the keyboard goes back to where the user was (unless whoever asked for the
    // sheet named that place already).
    FocusReturn::arm(this, FocusReturn::focusIn(parentWidget()));
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
        current = shownOwner(this);
    QDialog::hideEvent(event);
}

void SheetDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::background.resolved());
}
