// The note composer's field and placeholder.
#include "NoteComposer.h"

#include "ui/components/Accessibility.h"
#include "ui/components/NoteField.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int padding = 8;
constexpr int leastHeight = 36;
constexpr double radius = 8;
} // namespace

NoteComposer::NoteComposer(const QString& placeholder, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(padding, 0, padding, 0);
    field_ = new NoteField(this);
    layout->addWidget(field_, 1, Qt::AlignVCenter);
    setMinimumHeight(leastHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);

    placeholder_ =
        new TextLabel(placeholder, DesignFont::system(17), Theme::Colour::onSurfaceVariant, this);
    placeholder_->setAttribute(Qt::WA_TransparentForMouseEvents);
    Accessibility::hide(placeholder_);
}

void NoteComposer::setPlaceholderShown(bool shown) {
    placeholder_->setVisible(shown);
}

bool NoteComposer::placeholderShown() const {
    return !placeholder_->isHidden();
}

void NoteComposer::resizeEvent(QResizeEvent*) {
    const int height = placeholder_->sizeHint().height();
    placeholder_->setGeometry(padding, (this->height() - height) / 2, width() - 2 * padding,
                              height);
}

void NoteComposer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), radius, radius);
    painter.fillPath(shape, Theme::Colour::inputField.resolved());
}
