// The list's header above its items.
#include "ListHeroView.h"

#include "ui/components/Accessibility.h"
#include "ui/components/ListBadge.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ListPalette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

namespace {
constexpr int side = 16;
constexpr int top = 16;
constexpr int bottom = 8;
constexpr int badge = 48;
constexpr int gap = 16;
constexpr int barHeight = 6;
constexpr int dotSide = 7;
} // namespace

struct ListHeroView::Layout {
    QRect badge;
    QRect name;
    QRect status;
    QRect bar; // empty without progress
    int height = 0;
};

ListHeroView::ListHeroView(const DetailSnapshot::Hero& hero, QWidget* parent)
    : QWidget(parent), hero_(hero), nameFont_(DesignFont::system(22, QFont::DemiBold)),
      statusFont_(DesignFont::monospaced(12, QFont::Medium)) {
    setAutoFillBackground(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    describe();
}

void ListHeroView::setHero(const DetailSnapshot::Hero& hero) {
    hero_ = hero;
    describe();
    update();
}

void ListHeroView::describe() {
    if (hero_.editable) {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        // The summary is the button's value: it says which list is open.
        Accessibility::apply(this, {QStringLiteral("Edit list details"),
                                    QStringLiteral("Opens this list's name, icon and colour"),
                                    hero_.accessibleSummary,
                                    AccessibleTrait::button,
                                    {{QAccessibleActionInterface::pressAction(),
                                      [this] { emit editRequested(); }}}});
    } else {
        // Not a button: Tab passes it by.
        unsetCursor();
        setFocusPolicy(Qt::NoFocus);
        Accessibility::apply(this,
                             {hero_.accessibleSummary, {}, {}, AccessibleTrait::staticText, {}});
    }
}

ListHeroView::Layout ListHeroView::layoutFor(int width) const {
    Layout l;
    const int textLeft = side + badge + gap;
    const int textWidth = std::max(40, width - textLeft - side);
    const QFontMetrics nameMetrics(nameFont_);
    const int oneLine = nameMetrics.height();
    const int nameHeight =
        nameMetrics.horizontalAdvance(hero_.name) > textWidth ? 2 * oneLine : oneLine;
    const int statusHeight = QFontMetrics(statusFont_).height();
    const int textHeight = nameHeight + 2 + statusHeight;
    const int rowHeight = std::max(badge, textHeight);
    l.badge = QRect(side, top + (rowHeight - badge) / 2, badge, badge);
    const int textTop = top + (rowHeight - textHeight) / 2;
    l.name = QRect(textLeft, textTop, textWidth, nameHeight);
    l.status = QRect(textLeft, textTop + nameHeight + 2, textWidth, statusHeight);
    int y = top + rowHeight;
    if (hero_.progress && hero_.progress->total >= 1) {
        l.bar = QRect(side, y + 8, width - 2 * side, barHeight);
        y = l.bar.bottom() + 1;
    }
    l.height = y + bottom;
    return l;
}

int ListHeroView::heightForWidth(int width) const {
    return layoutFor(width).height;
}

void ListHeroView::paintEvent(QPaintEvent*) {
    const Layout l = layoutFor(width());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    ListBadge::paint(painter, QRectF(l.badge), hero_.icon, hero_.colourID);
    if (hero_.pinned) {
        // The pin mark: a small accent disc with a ring of the background, over the badge's
        // top-right corner.
        const QRectF mark(l.badge.right() + 1 - 17 + 5, l.badge.top() - 5, 17, 17);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::Colour::background.resolved());
        painter.drawEllipse(mark);
        painter.setBrush(Theme::Colour::accent.resolved());
        painter.drawEllipse(mark.adjusted(2, 2, -2, -2));
        Symbols::paint(painter, mark.adjusted(4, 4, -4, -4), QStringLiteral("pin.fill"), 9,
                       Theme::Colour::onAccent.resolved());
    }

    // The name on at most two lines, the second cut with an ellipsis.
    painter.setFont(nameFont_);
    painter.setPen(Theme::Colour::onSurface.resolved());
    QTextLayout text(hero_.name, nameFont_);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text.setTextOption(option);
    text.beginLayout();
    QList<QTextLine> lines;
    while (lines.size() < 2) {
        QTextLine line = text.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(l.name.width());
        lines.append(line);
    }
    text.endLayout();
    const QFontMetrics nameMetrics(nameFont_);
    for (int i = 0; i < lines.size(); ++i) {
        const QTextLine& line = lines.at(i);
        const QPoint at(l.name.left(), l.name.top() + i * nameMetrics.height());
        const bool last = i == lines.size() - 1;
        if (last && line.textStart() + line.textLength() < hero_.name.size()) {
            const QString rest = hero_.name.mid(line.textStart());
            painter.drawText(QRect(at, QSize(l.name.width(), nameMetrics.height())),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             nameMetrics.elidedText(rest, Qt::ElideRight, l.name.width()));
        } else {
            painter.drawText(QRect(at, QSize(l.name.width(), nameMetrics.height())),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             hero_.name.mid(line.textStart(), line.textLength()));
        }
    }

    // Status line, then the due chip: a dot in the urgency's colour and the due words.
    painter.setFont(statusFont_);
    const QColor variant = Theme::Colour::onSurfaceVariant.resolved();
    painter.setPen(variant);
    const QFontMetrics statusMetrics(statusFont_);
    painter.drawText(l.status, Qt::AlignLeft | Qt::AlignVCenter, hero_.status);
    if (hero_.dueText) {
        int x = l.status.left() + statusMetrics.horizontalAdvance(hero_.status) + 8;
        const std::optional<DynamicColour> dot = ListPalette::urgency(hero_.urgency);
        painter.setPen(Qt::NoPen);
        painter.setBrush(dot ? dot->resolved() : variant);
        painter.drawEllipse(
            QRectF(x, l.status.center().y() - dotSide / 2.0 + 0.5, dotSide, dotSide));
        x += dotSide + 4;
        painter.setPen(variant);
        painter.drawText(
            QRect(x, l.status.top(), std::max(0, l.status.right() - x), l.status.height()),
            Qt::AlignLeft | Qt::AlignVCenter,
            statusMetrics.elidedText(*hero_.dueText, Qt::ElideRight,
                                     std::max(0, l.status.right() - x)));
    }

    if (!l.bar.isEmpty()) {
        QPainterPath track;
        track.addRoundedRect(QRectF(l.bar), barHeight / 2.0, barHeight / 2.0);
        QColor trackColour = Theme::Colour::outlineVariant.resolved();
        painter.fillPath(track, trackColour);
        const double share = double(hero_.progress->done) / hero_.progress->total;
        if (share > 0) {
            QPainterPath fill;
            fill.addRoundedRect(QRectF(l.bar.left(), l.bar.top(), l.bar.width() * share, barHeight),
                                barHeight / 2.0, barHeight / 2.0);
            painter.fillPath(fill,
                             ListPalette::colour(ListColour::find(hero_.colourID)).resolved());
        }
    }
    if (hasFocus()) {
        painter.setPen(QPen(Theme::Colour::primary.resolved(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(4, 4, -4, -4), 10, 10);
    }
}

void ListHeroView::mouseReleaseEvent(QMouseEvent* event) {
    if (hero_.editable && event->button() == Qt::LeftButton && rect().contains(event->pos()))
        emit editRequested();
}

void ListHeroView::keyPressEvent(QKeyEvent* event) {
    if (hero_.editable && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return)) {
        emit editRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}
