// The ring around a focused control that has no room for one inside it.
#include "TextFieldRing.h"

#include "Accessibility.h"

#include "ui/theme/ThemeColour.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QFrame>
#include <QLineEdit>
#include <QPainter>
#include <QWidget>

namespace {

constexpr double ringWidth = 2;
constexpr double radius = 6;

// Paints the ring around `around` (in its own coordinates); lets every click through.
class RingView : public QWidget {
public:
    RingView(QWidget* parent, int gap) : QWidget(parent), gap_(gap) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        Accessibility::hide(this); // the field says it has the focus
    }

    void setAround(const QRect& around) {
        around_ = around;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Theme::Colour::primary.resolved(), ringWidth));
        // Along the middle of the band outside the field, kept whole where the host ends close
        // to the field (a window's edge).
        const double middle = gap_ + ringWidth / 2;
        const QRectF inside =
            QRectF(rect()).adjusted(ringWidth / 2, ringWidth / 2, -ringWidth / 2, -ringWidth / 2);
        const QRectF ring =
            QRectF(around_).adjusted(-middle, -middle, middle, middle).intersected(inside);
        painter.drawRoundedRect(ring, radius, radius);
    }

private:
    int gap_;
    QRect around_;
};

// Whether the style draws the field's frame (and shows its focus in it).
bool framed(const QWidget* field) {
    if (const auto* line = qobject_cast<const QLineEdit*>(field))
        return line->hasFrame();
    if (const auto* frame = qobject_cast<const QFrame*>(field))
        return frame->frameShape() != QFrame::NoFrame;
    return false;
}

// A scroll area's viewport: the ring goes no higher, or it would stand still while the content
// scrolls under it.
bool isViewport(const QWidget* widget) {
    const auto* area = qobject_cast<const QAbstractScrollArea*>(widget->parentWidget());
    return area && area->viewport() == widget;
}

} // namespace

TextFieldRing::TextFieldRing(QWidget* field, int gap) : QObject(field), field_(field), gap_(gap) {
    field_->installEventFilter(this);
}

TextFieldRing::~TextFieldRing() {
    watch({});
    delete view_;
}

void TextFieldRing::setWanted(bool wanted) {
    wanted_ = wanted;
    follow();
}

void TextFieldRing::setShownWhile(std::function<bool()> condition) {
    shownWhile_ = std::move(condition);
    follow();
}

bool TextFieldRing::isShown() const {
    return view_ && view_->isVisible();
}

bool TextFieldRing::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (watched != field_)
            break;
        [[fallthrough]];
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ParentChange:
        follow();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void TextFieldRing::watch(const QList<QWidget*>& between) {
    for (const QPointer<QWidget>& widget : std::as_const(watched_))
        if (widget && !between.contains(widget.data()))
            widget->removeEventFilter(this);
    QList<QPointer<QWidget>> now;
    for (QWidget* widget : between) {
        bool known = false;
        for (const QPointer<QWidget>& old : std::as_const(watched_))
            known = known || old == widget;
        if (!known)
            widget->installEventFilter(this);
        now.append(widget);
    }
    watched_ = now;
}

void TextFieldRing::follow() {
    const bool shown = shownWhile_ ? shownWhile_() : field_->hasFocus();
    if (!wanted_ || framed(field_) || !field_->parentWidget() || !field_->isVisible() || !shown) {
        if (view_)
            view_->hide();
        watch({});
        return;
    }
    // The nearest ancestor with room for the whole ring; the widgets on the way are watched.
    const int reach = gap_ + int(ringWidth);
    QWidget* host = field_->parentWidget();
    QRect field = field_->geometry();
    QList<QWidget*> between;
    while (!host->rect().contains(field.adjusted(-reach, -reach, reach, reach)) &&
           !host->isWindow() && !isViewport(host) && host->parentWidget()) {
        between.append(host);
        field.translate(host->pos());
        host = host->parentWidget();
    }
    watch(between);
    if (view_ && view_->parentWidget() != host)
        delete view_;
    if (!view_)
        view_ = new RingView(host, gap_);
    const QRect area = field.adjusted(-reach, -reach, reach, reach) & host->rect();
    view_->setGeometry(area);
    static_cast<RingView*>(view_.data())->setAround(field.translated(-area.topLeft()));
    view_->raise();
    view_->show();
}
