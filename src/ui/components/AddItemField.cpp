// The add bar's text field.
#include "AddItemField.h"

#include "Accessibility.h"
#include "ui/theme/DesignFont.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

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

namespace {

// The standard menu's Paste: named "edit-paste" in newer Qt, known by its text in older.
QAction* pasteAction(const QMenu& menu) {
    const QString title = QLineEdit::tr("&Paste");
    for (QAction* action : menu.actions()) {
        if (action->objectName() == QLatin1String("edit-paste") ||
            action->text().section(QLatin1Char('\t'), 0, 0) == title)
            return action;
    }
    return nullptr;
}

} // namespace

bool AddItemField::offerPaste(QClipboard::Mode mode) {
    if (!pasteHandler_ || isReadOnly())
        return false;
    return pasteHandler_(QGuiApplication::clipboard()->text(mode));
}

void AddItemField::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the selection where the system has one (X11).
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection() &&
        offerPaste(QClipboard::Selection)) {
        event->accept();
        return;
    }
    SingleLineField::mouseReleaseEvent(event);
}

void AddItemField::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (QAction* paste = pasteAction(*menu)) {
        disconnect(paste, nullptr, this, nullptr); // its own paste()
        connect(paste, &QAction::triggered, this, [this] {
            if (!offerPaste(QClipboard::Clipboard))
                this->paste();
        });
    }
    menu->popup(event->globalPos());
}

void AddItemField::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste) && offerPaste(QClipboard::Clipboard)) {
        event->accept();
        return;
    }
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
