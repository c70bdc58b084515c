// The ring around a focused borderless text field.
#include "TextFieldRing.h"

#include "Accessibility.h"

#include "ui/theme/ThemeColour.h"

#include <QEvent>
#include <QFrame>
#include <QLineEdit>
#include <QPainter>
#include <QWidget>

namespace {

constexpr double ringWidth = 2;
// Between the field's edge and the ring.
constexpr double gap = 2;
constexpr int reach = 4; // gap + ringWidth
constexpr double radius = 6;

// Paints the ring around `around` (in its own coordinates); lets every click through.
class RingView : public QWidget {
public:
    explicit RingView(QWidget* parent) : QWidget(parent) {
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
        // Along the middle of the band outside the field, kept whole where the parent ends
        // close to the field.
        const double middle = gap + ringWidth / 2;
        const QRectF inside =
            QRectF(rect()).adjusted(ringWidth / 2, ringWidth / 2, -ringWidth / 2, -ringWidth / 2);
        const QRectF ring =
            QRectF(around_).adjusted(-middle, -middle, middle, middle).intersected(inside);
        painter.drawRoundedRect(ring, radius, radius);
    }

private:
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

} // namespace

TextFieldRing::TextFieldRing(QWidget* field) : QObject(field), field_(field) {
    field_->installEventFilter(this);
}

TextFieldRing::~TextFieldRing() {
    delete view_;
}

void TextFieldRing::setWanted(bool wanted) {
    wanted_ = wanted;
    follow();
}

bool TextFieldRing::isShown() const {
    return view_ && view_->isVisible();
}

bool TextFieldRing::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
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

void TextFieldRing::follow() {
    QWidget* parent = field_->parentWidget();
    if (!wanted_ || framed(field_) || !parent || !field_->isVisible() || !field_->hasFocus()) {
        if (view_)
            view_->hide();
        return;
    }
    if (view_ && view_->parentWidget() != parent)
        delete view_;
    if (!view_)
        view_ = new RingView(parent);
    const QRect field = field_->geometry();
    const QRect area = field.adjusted(-reach, -reach, reach, reach) & parent->rect();
    view_->setGeometry(area);
    static_cast<RingView*>(view_.data())->setAround(field.translated(-area.topLeft()));
    view_->raise();
    view_->show();
}
