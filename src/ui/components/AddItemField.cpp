// The add bar's text field.
#include "AddItemField.h"

#include "Accessibility.h"
#include "ui/theme/DesignFont.h"

#include <QKeyEvent>

AddItemField::AddItemField(bool focused, QWidget* parent)
    : SingleLineField(parent), focused_(focused) {
    setFrame(false);
    setFont(DesignFont::system(15));
    // Text and selection come from the application palette (onSurface, primary), which follows
    // the appearance; only the field's own background is left out.
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::transparent);
    setPalette(palette);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    Accessibility::apply(this, {tr("New item"), {}, {}, {}, {}});
}

void AddItemField::setFocused(bool focused) {
    if (focused_ == focused)
        return;
    focused_ = focused;
    applyFocus();
}

void AddItemField::applyFocus() {
    if (focused_ && !hasFocus() && isVisible())
        setFocus(Qt::OtherFocusReason);
    else if (!focused_ && hasFocus())
        clearFocus();
}

void AddItemField::noteFocus(bool focused) {
    if (focused_ == focused)
        return;
    focused_ = focused;
    emit focusedChanged(focused);
}

void AddItemField::keyPressEvent(QKeyEvent* event) {
    const bool returnKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (returnKey && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        emit submitted();
        // The host may have moved the focus while handling the text; typing goes on here.
        noteFocus(true);
        applyFocus();
        event->accept();
        return;
    }
    SingleLineField::keyPressEvent(event);
}

void AddItemField::focusInEvent(QFocusEvent* event) {
    SingleLineField::focusInEvent(event);
    noteFocus(true);
}

void AddItemField::focusOutEvent(QFocusEvent* event) {
    SingleLineField::focusOutEvent(event);
    // Opening a menu or switching windows keeps the field's focus for when it comes back.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        noteFocus(false);
}

void AddItemField::showEvent(QShowEvent* event) {
    SingleLineField::showEvent(event);
    applyFocus();
}
