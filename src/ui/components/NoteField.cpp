// The growing note field.
#include "NoteField.h"

#include "Accessibility.h"
#include "ui/theme/DesignFont.h"

#include <QKeyEvent>

NoteField::NoteField(QWidget* parent)
    : GrowingTextField(DesignFont::system(15), maximumLines, parent) {
    Accessibility::apply(this, {tr("Add a note"), {}, {}, {}, {}});
}

void NoteField::keyPressEvent(QKeyEvent* event) {
    const bool returnKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (returnKey && (event->modifiers() & Qt::ShiftModifier)) {
        textCursor().insertText(QStringLiteral("\n"));
        event->accept();
        return;
    }
    if (returnKey && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        emit submitted();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
