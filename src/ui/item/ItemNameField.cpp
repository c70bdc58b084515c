// The item editor's name field.
#include "ItemNameField.h"

#include "ui/components/SingleLineField.h"
#include "ui/theme/DesignFont.h"

#include <QKeyEvent>
#include <QMimeData>

ItemNameField::ItemNameField(QWidget* parent)
    : GrowingTextField(DesignFont::system(22, QFont::DemiBold), 0, parent) {
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!replacing_)
            emit edited(toPlainText());
    });
}

void ItemNameField::replaceText(const QString& text) {
    if (text == toPlainText())
        return;
    replacing_ = true;
    setPlainText(text);
    replacing_ = false;
}

void ItemNameField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The name is done: the keyboard moves on to the next control, as with Tab, rather than
        // to nowhere (where the next Tab would start again from the window's first control).
        if (!focusNextPrevChild(true))
            clearFocus();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ItemNameField::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    emit focusChanged(true);
}

void ItemNameField::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    emit focusChanged(false);
}

void ItemNameField::insertFromMimeData(const QMimeData* source) {
    if (source && source->hasText())
        insertPlainText(SingleLineField::flatten(source->text()));
}
