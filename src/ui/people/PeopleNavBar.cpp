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
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int PeopleNavBar::rowHeight() const {
    return std::max(barHeight, QFontMetrics(title_->font()).height() + 16);
}

PeopleNavBar::Place PeopleNavBar::placeFor(int width) const {
    const int leadingWidth = leading_ ? leading_->sizeHint().width() : 0;
    const int trailingWidth = trailing_ ? trailing_->sizeHint().width() : 0;
    const int titleWidth = QFontMetrics(title_->font()).horizontalAdvance(fullTitle_);
    // Centred in the whole bar, clear of the wider of the two sides; else in all the room
    // between the two sides; else on a row of its own under them.
    const int centredSide = sideMargin + std::max(leadingWidth, trailingWidth) + 4;
    if (titleWidth <= width - 2 * centredSide)
        return {QRect(centredSide, 0, width - 2 * centredSide, rowHeight()), false};
    const int left = sideMargin + leadingWidth + 4;
    const int between = width - left - sideMargin - trailingWidth - 4;
    if (titleWidth <= between)
        return {QRect(left, 0, between, rowHeight()), false};
    return {QRect(16, rowHeight() - 8, std::max(0, width - 32), rowHeight()), true};
}

QSize PeopleNavBar::sizeHint() const {
    return {320, heightForWidth(width() > 0 ? width() : 320)};
}

int PeopleNavBar::heightForWidth(int width) const {
    return placeFor(width).ownRow ? 2 * rowHeight() - 8 : rowHeight();
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
    const int h = rowHeight();
    if (leading_) {
        const QSize size = leading_->sizeHint();
        leading_->setGeometry(sideMargin, (h - size.height()) / 2, size.width(), size.height());
    }
    if (trailing_) {
        const QSize size = trailing_->sizeHint();
        trailing_->setGeometry(width() - sideMargin - size.width(), (h - size.height()) / 2,
                               size.width(), size.height());
    }
    const Place place = placeFor(width());
    const QFontMetrics metrics(title_->font());
    title_->setText(metrics.elidedText(fullTitle_, Qt::ElideRight, place.title.width()));
    title_->setGeometry(place.title);
    if (height() != heightForWidth(width()))
        updateGeometry();
}
