// A kind row of the list editor.
#include "KindRowButton.h"

#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>
#include <QVBoxLayout>

namespace {
constexpr int padding = 18;
constexpr int radioSize = 22;
constexpr int gap = 16;
} // namespace

KindRowButton::KindRowButton(const QString& name, const QString& explanation, QWidget* parent)
    : PaintedButton(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding + radioSize + gap, padding, padding, padding);
    layout->setSpacing(2);
    auto* title = new TextLabel(name, DesignFont::system(17), Theme::Colour::onSurface);
    auto* detail =
        new TextLabel(explanation, DesignFont::system(15), Theme::Colour::onSurfaceVariant);
    detail->setWordWrap(true);
    for (QWidget* label : {static_cast<QWidget*>(title), static_cast<QWidget*>(detail)}) {
        // The row takes the clicks; its own accessible label says both texts.
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        layout->addWidget(label);
    }
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void KindRowButton::setChosen(bool chosen) {
    chosen_ = chosen;
    update();
}

void KindRowButton::paintFace(QPainter& painter) {
    const QFontMetrics metrics(DesignFont::system(17));
    const QRectF radio(padding, padding + (metrics.height() - radioSize) / 2.0, radioSize,
                       radioSize);
    Symbols::paint(painter, radio,
                   chosen_ ? QStringLiteral("largecircle.fill.circle") : QStringLiteral("circle"),
                   radioSize,
                   (chosen_ ? Theme::Colour::primary : Theme::Colour::onSurfaceVariant).resolved());
}
