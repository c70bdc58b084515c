// The segmented picker and its segments.
#include "SegmentedPicker.h"

#include "PaintedButton.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QtMath>

// One segment: its title on a rounded fill when selected.
class SegmentButton : public PaintedButton {
public:
    SegmentButton(const QString& title, QWidget* parent) : PaintedButton(parent), title_(title) {
        setFont(DesignFont::style(TextStyle::subheadline, QFont::Medium));
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        // The segments stand on the picker's fill.
        setFocusGround(Theme::Colour::chip);
        setSelected(false);
    }

    void setSelected(bool selected) {
        selected_ = selected;
        // A toggle as well as selected: the desktop's bridge tells a screen reader of a change
        // of the checked state, not of the selected one, and the segment just chosen is said.
        AccessibleSpec spec{title_, {}, {}, AccessibleTrait::toggle, {}};
        if (selected)
            spec.traits |= AccessibleTrait::selected;
        setAccessible(spec);
        update();
    }

    QSize sizeHint() const override {
        const QFontMetricsF metrics(font());
        return {qCeil(metrics.horizontalAdvance(title_)) + 16, qCeil(metrics.height()) + 24};
    }
    QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

protected:
    void paintFace(QPainter& painter) override {
        const QRectF box(rect());
        if (selected_) {
            QPainterPath shape;
            shape.addRoundedRect(box, 9, 9);
            painter.fillPath(shape, Theme::Colour::primary.resolved());
        }
        // One line; a title that does not fit shrinks to four fifths of its size, then elides.
        QFont face = font();
        const double available = box.width() - 8;
        const double natural = QFontMetricsF(face).horizontalAdvance(title_);
        if (natural > available && natural > 0)
            face.setPointSizeF(face.pointSizeF() * qMax(0.8, available / natural));
        painter.setFont(face);
        painter.setPen(
            (selected_ ? Theme::Colour::onPrimary : Theme::Colour::onSurfaceVariant).resolved());
        const QString shown =
            QFontMetricsF(face).elidedText(title_, Qt::ElideRight, qMax(0.0, available));
        painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, shown);
    }

    QPainterPath focusShape() const override {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 9, 9);
        return path;
    }
    // The selected segment's fill is the ring's own colour: a band of the picker's fill keeps
    // the two apart.
    bool fillsFocusShape() const override { return selected_; }

private:
    QString title_;
    bool selected_ = false;
};

SegmentedPicker::SegmentedPicker(const QStringList& titles, int selected, QWidget* parent)
    : QWidget(parent), titles_(titles), selected_(-1) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    for (int i = 0; i < titles.size(); ++i) {
        auto* segment = new SegmentButton(titles.at(i), this);
        connect(segment, &QAbstractButton::clicked, this, [this, i] { press(i); });
        layout->addWidget(segment, 1);
        segments_.append(segment);
    }
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setSelected(selected);
}

void SegmentedPicker::setSelected(int index) {
    selected_ = index >= 0 && index < segments_.size() ? index : -1;
    for (int i = 0; i < segments_.size(); ++i)
        segments_.at(i)->setSelected(i == selected_);
}

void SegmentedPicker::press(int index) {
    if (index == selected_)
        return;
    setSelected(index);
    emit selectionChanged(index);
}

void SegmentedPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 12, 12);
    painter.fillPath(shape, Theme::Colour::chip.resolved());
}
