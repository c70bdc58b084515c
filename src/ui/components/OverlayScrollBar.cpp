// The scroll bar that floats over a scroll area's edge.
#include "OverlayScrollBar.h"

#include "ui/theme/ThemeColour.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPainter>
#include <QStyleOptionSlider>

OverlayScrollBar::OverlayScrollBar(QAbstractScrollArea* area)
    : QScrollBar(Qt::Vertical, area), area_(area) {
    setObjectName(QStringLiteral("overlayScrollBar"));
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QScrollBar* inner = area_->verticalScrollBar();
    const auto follow = [this, inner] {
        setRange(inner->minimum(), inner->maximum());
        setPageStep(inner->pageStep());
        setSingleStep(inner->singleStep());
        setValue(inner->value());
        setVisible(inner->maximum() > inner->minimum());
    };
    connect(inner, &QScrollBar::rangeChanged, this, follow);
    connect(inner, &QScrollBar::valueChanged, this, &QScrollBar::setValue);
    connect(this, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
    area_->installEventFilter(this);
    follow();
    place();
}

bool OverlayScrollBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == area_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        place();
    return QScrollBar::eventFilter(watched, event);
}

void OverlayScrollBar::place() {
    const QRect inside = area_->contentsRect();
    setGeometry(inside.right() + 1 - thickness, inside.top(), thickness, inside.height());
    raise();
}

void OverlayScrollBar::paintEvent(QPaintEvent*) {
    QStyleOptionSlider option;
    initStyleOption(&option);
    // The handle where the style has it, so pressing and dragging it match what is drawn.
    const QRect handle =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor colour = Theme::Colour::outline.resolved();
    colour.setAlphaF(isSliderDown() || underMouse() ? 0.8 : 0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const QRectF shape = QRectF(handle).adjusted(2, 1, -2, -1);
    painter.drawRoundedRect(shape, shape.width() / 2, shape.width() / 2);
}
