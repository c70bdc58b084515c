// The one-line field that keeps line breaks out.
#include "SingleLineField.h"

#include "TextFieldRing.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>
#include <QValidator>

namespace {

bool isLineBreak(QChar c) {
    switch (c.unicode()) {
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

// QLineEdit applies what a validator changes in the text it is handed, for every edit.
class LineBreakFlattener : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override {
        input = SingleLineField::flatten(input, &position);
        return Acceptable;
    }
};

} // namespace

SingleLineField::SingleLineField(QWidget* parent)
    : QLineEdit(parent), ring_(new TextFieldRing(this)) {
    setValidator(new LineBreakFlattener(this));
}

void SingleLineField::setRoundedBorder(bool rounded) {
    rounded_ = rounded;
    ring_->setWanted(!rounded);
    setFrame(!rounded);
    QPalette palette;
    if (rounded)
        palette.setColor(QPalette::Base, Qt::transparent); // the box is painted below
    setPalette(palette);
    setTextMargins(rounded ? QMargins(8, 4, 8, 4) : QMargins());
    update();
}

void SingleLineField::paintEvent(QPaintEvent* event) {
    if (!rounded_) {
        QLineEdit::paintEvent(event);
        return;
    }
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::Colour::card.resolved());
        painter.drawRoundedRect(box, 6, 6);
    }
    QLineEdit::paintEvent(event);
    // The outline goes on top: under a style sheet (a sheet's scroll area has one) the field
    // paints its base over the whole box.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen((hasFocus() ? Theme::Colour::primary : Theme::Colour::outlineVariant).resolved(),
             hasFocus() ? 1.5 : 1));
    painter.drawRoundedRect(box, 6, 6);
}

QString SingleLineField::flatten(const QString& text, int* cursor) {
    QString result;
    result.reserve(text.size());
    int movedCursor = cursor ? *cursor : 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!isLineBreak(c)) {
            result.append(c);
            continue;
        }
        result.append(QLatin1Char(' '));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
            if (cursor && *cursor > i + 1)
                --movedCursor; // the pair became one character
            ++i;
        }
    }
    if (cursor)
        *cursor = qBound(0, movedCursor, int(result.size()));
    return result;
}
