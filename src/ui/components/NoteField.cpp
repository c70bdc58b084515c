// The growing note field.
#include "NoteField.h"

#include "Accessibility.h"
#include "ui/theme/DesignFont.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QtMath>

NoteField::NoteField(QWidget* parent) : QPlainTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
    setFont(DesignFont::system(15));
    setTabChangesFocus(true);
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::transparent);
    setPalette(palette);
    viewport()->setAutoFillBackground(false);
    document()->setDocumentMargin(0);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Accessibility::apply(this, {tr("Add a note"), {}, {}, {}, {}});
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &NoteField::fitHeight);
    fitHeight();
}

int NoteField::visibleLines() const {
    // A plain text document's height is counted in laid-out lines, wrapped ones included.
    const int lines = qCeil(document()->documentLayout()->documentSize().height());
    return qBound(1, lines, maximumLines);
}

QSize NoteField::sizeHint() const {
    const int lineHeight = fontMetrics().lineSpacing();
    const QMargins margins = contentsMargins() + viewportMargins();
    return {QPlainTextEdit::sizeHint().width(),
            visibleLines() * lineHeight + margins.top() + margins.bottom()};
}

void NoteField::fitHeight() {
    // A scroll bar only once the text is longer than the field can grow.
    const int lines = qCeil(document()->documentLayout()->documentSize().height());
    setVerticalScrollBarPolicy(lines > maximumLines ? Qt::ScrollBarAsNeeded
                                                    : Qt::ScrollBarAlwaysOff);
    setFixedHeight(NoteField::sizeHint().height());
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

void NoteField::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    fitHeight(); // a new width wraps the text into another number of lines
}
