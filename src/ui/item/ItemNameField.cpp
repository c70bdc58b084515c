// The item editor's name field.
#include "ItemNameField.h"

#include "ui/components/SingleLineField.h"
#include "ui/theme/DesignFont.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QtMath>

ItemNameField::ItemNameField(QWidget* parent) : QPlainTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
    setFont(DesignFont::system(22, QFont::DemiBold));
    setTabChangesFocus(true);
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::transparent);
    setPalette(palette);
    viewport()->setAutoFillBackground(false);
    document()->setDocumentMargin(0);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &ItemNameField::fitHeight);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!replacing_)
            emit edited(toPlainText());
    });
    fitHeight();
}

void ItemNameField::replaceText(const QString& text) {
    if (text == toPlainText())
        return;
    replacing_ = true;
    setPlainText(text);
    replacing_ = false;
}

QSize ItemNameField::sizeHint() const {
    const int lines = qMax(1, qCeil(document()->documentLayout()->documentSize().height()));
    const QMargins margins = contentsMargins() + viewportMargins();
    return {QPlainTextEdit::sizeHint().width(),
            lines * fontMetrics().lineSpacing() + margins.top() + margins.bottom()};
}

void ItemNameField::fitHeight() {
    setFixedHeight(ItemNameField::sizeHint().height());
}

void ItemNameField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
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

void ItemNameField::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    fitHeight(); // a new width wraps the name into another number of lines
}
