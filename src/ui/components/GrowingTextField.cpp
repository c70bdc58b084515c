// A plain-text field as high as its text.
#include "GrowingTextField.h"

#include "TextFieldRing.h"

#include <QAbstractTextDocumentLayout>
#include <QtMath>

GrowingTextField::GrowingTextField(const QFont& font, int maximumLines, QWidget* parent)
    : QPlainTextEdit(parent), maximumLines_(maximumLines) {
    setFrameShape(QFrame::NoFrame);
    setFont(font);
    setTabChangesFocus(true);
    // The text starts at the field's edge: the ring stands further out than a line edit's.
    new TextFieldRing(this, 2 * TextFieldRing::standardGap);
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::transparent);
    setPalette(palette);
    viewport()->setAutoFillBackground(false);
    document()->setDocumentMargin(0);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &GrowingTextField::fitHeight);
    fitHeight();
}

int GrowingTextField::laidOutLines() const {
    // A plain text document's height is counted in laid-out lines.
    return qCeil(document()->documentLayout()->documentSize().height());
}

int GrowingTextField::visibleLines() const {
    const int lines = qMax(1, laidOutLines());
    return maximumLines_ > 0 ? qMin(lines, maximumLines_) : lines;
}

QSize GrowingTextField::sizeHint() const {
    const QMargins margins = contentsMargins() + viewportMargins();
    return {QPlainTextEdit::sizeHint().width(),
            visibleLines() * fontMetrics().lineSpacing() + margins.top() + margins.bottom()};
}

void GrowingTextField::fitHeight() {
    // A scroll bar only once the text is longer than the field can grow.
    const bool overflows = maximumLines_ > 0 && laidOutLines() > maximumLines_;
    setVerticalScrollBarPolicy(overflows ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setFixedHeight(GrowingTextField::sizeHint().height());
}

void GrowingTextField::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    fitHeight(); // a new width wraps the text into another number of lines
}
