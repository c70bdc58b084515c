// The small pieces of the settings rows.
#include "SettingsPieces.h"

#include "ui/components/Accessibility.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace {

QFont badgeFont() {
    return DesignFont::system(13, QFont::DemiBold);
}

QColor hairline() {
    QColor colour = Theme::Colour::outlineVariant.resolved();
    colour.setAlphaF(0.4);
    return colour;
}

} // namespace

double settingsChevronPoints() {
    return DesignFont::styleSize(TextStyle::footnote) + 4;
}

SettingsCountBadge::SettingsCountBadge(int count, QWidget* parent)
    : QWidget(parent), count_(count) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    Accessibility::hide(this);
}

void SettingsCountBadge::setCount(int count) {
    count_ = count;
    updateGeometry();
    update();
}

QSize SettingsCountBadge::sizeHint() const {
    const int text = QFontMetrics(badgeFont()).horizontalAdvance(QString::number(count_));
    const int height = qMax(24, QFontMetrics(badgeFont()).height());
    return {qMax(height, text + 12), height};
}

void SettingsCountBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(rect());
    QPainterPath capsule;
    capsule.addRoundedRect(box, box.height() / 2, box.height() / 2);
    painter.fillPath(capsule, Theme::Colour::accent.resolved());
    painter.setFont(badgeFont());
    painter.setPen(Theme::Colour::onAccent.resolved());
    painter.drawText(box, Qt::AlignCenter, QString::number(count_));
}

SettingsRowDivider::SettingsRowDivider(int inset, QWidget* parent)
    : QWidget(parent), inset_(inset) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Accessibility::hide(this);
}

void SettingsRowDivider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRectF(inset_, 0, width() - inset_, 0.5), hairline());
}

SettingsCard::SettingsCard(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void SettingsCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), 12, 12);
    painter.fillPath(card, Theme::Colour::card.resolved());
}

SettingsLink::SettingsLink(QWidget* content, QWidget* parent)
    : PaintedButton(parent), content_(content) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    // The row's texts must not take the clicks meant for the row.
    for (QWidget* child : content->findChildren<QWidget*>())
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    content->setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

QSize SettingsLink::sizeHint() const {
    return layout()->sizeHint();
}
QSize SettingsLink::minimumSizeHint() const {
    return layout()->minimumSize();
}
bool SettingsLink::hasHeightForWidth() const {
    return layout()->hasHeightForWidth();
}
int SettingsLink::heightForWidth(int width) const {
    return layout()->totalHeightForWidth(width);
}

void SettingsLink::paintFace(QPainter&) {}

SettingsSwitch::SettingsSwitch(QWidget* parent) : PaintedButton(parent) {
    setCheckable(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SettingsSwitch::sizeHint() const {
    return {48, 44};
}

void SettingsSwitch::paintFace(QPainter& painter) {
    const QRectF track(QPointF(4, (height() - 24) / 2.0), QSizeF(40, 24));
    QPainterPath capsule;
    capsule.addRoundedRect(track, 12, 12);
    painter.fillPath(capsule, isChecked() ? Theme::Colour::primary.resolved()
                                          : Theme::Colour::chip.resolved());
    const double knob = 20;
    const double x = isChecked() ? track.right() - knob - 2 : track.left() + 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? Theme::Colour::onPrimary.resolved()
                                 : Theme::Colour::card.resolved());
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}

ChevronTurn::ChevronTurn(QWidget* widget)
    : widget_(widget), animation_(new QVariantAnimation(widget)) {
    animation_->setDuration(200);
    animation_->setEasingCurve(QEasingCurve::InOutQuad);
    QObject::connect(animation_, &QVariantAnimation::valueChanged, widget,
                     [this](const QVariant& value) {
                         degrees_ = value.toDouble();
                         widget_->update();
                     });
}

void ChevronTurn::setOpen(bool open) {
    if (open == open_)
        return;
    open_ = open;
    const double target = open ? 180 : 0;
    animation_->stop();
    if (!widget_->isVisible()) {
        degrees_ = target;
        widget_->update();
        return;
    }
    animation_->setStartValue(degrees_);
    animation_->setEndValue(target);
    animation_->start();
}

void ChevronTurn::paint(QPainter& painter, const QRectF& box) const {
    const double size = settingsChevronPoints();
    painter.save();
    painter.translate(box.center());
    painter.rotate(degrees_);
    Symbols::paint(painter, QRectF(-size, -size, 2 * size, 2 * size),
                   QStringLiteral("chevron.down"), size,
                   Theme::Colour::onSurfaceVariant.resolved());
    painter.restore();
}

SettingsDisclosureChevron::SettingsDisclosureChevron(QWidget* parent)
    : PaintedButton(parent), turn_(this) {
    setFixedSize(44, 44);
}

void SettingsDisclosureChevron::paintFace(QPainter& painter) {
    turn_.paint(painter, QRectF(rect()));
}
