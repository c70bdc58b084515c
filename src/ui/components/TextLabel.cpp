// The plain-text label in a design colour.
#include "TextLabel.h"

#include <QPainter>
#include <QStyle>

TextLabel::TextLabel(const QString& text, const QFont& font, DynamicColour colour, QWidget* parent)
    : QLabel(parent), colour_(colour) {
    setTextFormat(Qt::PlainText);
    setFont(font);
    setText(text);
}

void TextLabel::setColour(DynamicColour colour) {
    colour_ = colour;
    update();
}

void TextLabel::paintEvent(QPaintEvent*) {
    // QLabel paints from the palette, fixed when it was set; the colour is picked here instead,
    // for the appearance of the moment. The text layout is QLabel's own (same flags), so the
    // height it asked for fits.
    QPainter painter(this);
    painter.setPen(colour_.resolved());
    painter.setFont(font());
    int flags = int(QStyle::visualAlignment(layoutDirection(), alignment()));
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    const QRect box = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    painter.drawText(box, flags, text());
}
