// The people screens' top bar.
#include "PeopleNavBar.h"

#include "ui/components/TextLabel.h"
#include "ui/lists/LabelButton.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QFontMetrics>

namespace {
constexpr int sideMargin = 8;
constexpr int barHeight = 52;
} // namespace

PeopleNavBar::PeopleNavBar(Leading leading, const QString& leadingTitle, const QString& title,
                           QWidget* parent)
    : QWidget(parent), fullTitle_(title) {
    const QString shown =
        leading == Leading::back ? QStringLiteral("‹ ") + leadingTitle : leadingTitle;
    if (leading != Leading::none) {
        leading_ = new LabelButton(
            shown, {DesignFont::system(17), Theme::Colour::primary, QMargins(8, 0, 8, 0), 44},
            this);
        leading_->setAccessible({leadingTitle, {}, {}, {}, {}});
        connect(leading_, &QAbstractButton::clicked, this, &PeopleNavBar::leadingClicked);
    }
    title_ = new TextLabel(title, DesignFont::system(17, QFont::DemiBold), Theme::Colour::onSurface,
                           this);
    title_->setAlignment(Qt::AlignCenter);
    setMinimumHeight(std::max(barHeight, QFontMetrics(title_->font()).height() + 16));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void PeopleNavBar::setTitle(const QString& title) {
    fullTitle_ = title;
    placeTitle();
}

QString PeopleNavBar::title() const {
    return fullTitle_;
}

void PeopleNavBar::setTrailing(QWidget* control) {
    delete trailing_;
    trailing_ = control;
    control->setParent(this);
    control->show();
    placeTitle();
}

void PeopleNavBar::resizeEvent(QResizeEvent*) {
    placeTitle();
}

void PeopleNavBar::placeTitle() {
    const int h = height();
    int leadingWidth = 0;
    if (leading_) {
        const QSize size = leading_->sizeHint();
        leading_->setGeometry(sideMargin, (h - size.height()) / 2, size.width(), size.height());
        leadingWidth = size.width();
    }
    int trailingWidth = 0;
    if (trailing_) {
        const QSize size = trailing_->sizeHint();
        trailing_->setGeometry(width() - sideMargin - size.width(), (h - size.height()) / 2,
                               size.width(), size.height());
        trailingWidth = size.width();
    }
    // Centred in the whole bar, clear of the wider of the two sides.
    const int side = sideMargin + std::max(leadingWidth, trailingWidth) + 4;
    const int room = std::max(0, width() - 2 * side);
    title_->setText(QFontMetrics(title_->font()).elidedText(fullTitle_, Qt::ElideRight, room));
    title_->setGeometry(side, 0, room, h);
}
