// Keeping user texts plain in labels, message boxes, buttons and actions.
#include "PlainText.h"

#include <QLabel>
#include <QMessageBox>

namespace PlainText {

QString forButton(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    return escaped;
}

void apply(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
    for (QLabel* label : box.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
}

} // namespace PlainText
