// The circles screens' cards as a list view.
#include "PeopleCardList.h"

#include "PeopleCardAccessibility.h"
#include "ui/components/CardRow.h"
#include "ui/components/RowSwipeController.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QAbstractListModel>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>

namespace {

using namespace Theme;

constexpr int inset = 16;       // the card from the list's edges
constexpr int gap = 4;          // above and below each card
constexpr int padding = 18;     // the card's content from its top and bottom
constexpr int sidePadding = 16; // and from its sides
constexpr int lineSpacing = 4;
constexpr int chevronWidth = 20;

QFont titleFont() {
    return DesignFont::system(17);
}
QFont detailFont() {
    return DesignFont::monospaced(12, QFont::Medium);
}

} // namespace

class PeopleCardList::Rows : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(rows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rows.size())
            return {};
        const PeopleRow& row = rows[index.row()];
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return row.accessibilityLabel;
        default:
            return {};
        }
    }
    void replace(const QList<PeopleRow>& next) {
        beginResetModel();
        rows = next;
        endResetModel();
    }
    QList<PeopleRow> rows;
};

class PeopleCardList::Delegate : public QStyledItemDelegate {
public:
    Delegate(PeopleCardList& list, RowSwipeController& swipe, bool opens)
        : QStyledItemDelegate(&list), list_(list), swipe_(swipe), opens_(opens) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const PeopleRow& row = list_.rows_->rows[index.row()];
        const int width = textWidth(list_.viewport()->width());
        const QFontMetrics title(titleFont());
        const QFontMetrics detail(detailFont());
        const int titleHeight =
            title.boundingRect(0, 0, width, 10000, Qt::TextWordWrap, row.title).height();
        const int detailHeight =
            detail.boundingRect(0, 0, width, 10000, Qt::TextWordWrap, row.detail).height();
        const int content = std::max(44, titleHeight + lineSpacing + detailHeight);
        return QSize(list_.viewport()->width(), content + 2 * padding + 2 * gap);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const PeopleRow& row = list_.rows_->rows[index.row()];
        const QRect slot = option.rect.adjusted(inset, gap, -inset, -gap);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        paintAction(*painter, index);
        const QRect card = slot.translated(int(swipe_.offset(index)), 0);
        CardRow::paint(*painter, QRectF(card), false);
        const int width = textWidth(list_.viewport()->width());
        const QFontMetrics title(titleFont());
        const int titleHeight =
            title.boundingRect(0, 0, width, 10000, Qt::TextWordWrap, row.title).height();
        const QFontMetrics detail(detailFont());
        const int detailHeight =
            detail.boundingRect(0, 0, width, 10000, Qt::TextWordWrap, row.detail).height();
        const int block = titleHeight + lineSpacing + detailHeight;
        int top = card.top() + (card.height() - block) / 2;
        const int left = card.left() + sidePadding;
        painter->setFont(titleFont());
        painter->setPen(Colour::onSurface.resolved());
        painter->drawText(QRect(left, top, width, titleHeight), Qt::TextWordWrap, row.title);
        top += titleHeight + lineSpacing;
        painter->setFont(detailFont());
        painter->setPen(Colour::onSurfaceVariant.resolved());
        painter->drawText(QRect(left, top, width, detailHeight), Qt::TextWordWrap, row.detail);
        if (opens_)
            Symbols::paint(*painter,
                           QRectF(card.right() - sidePadding - chevronWidth, card.top(),
                                  chevronWidth, card.height()),
                           QStringLiteral("chevron.right"), 14, Colour::outline.resolved());
        if (option.state & QStyle::State_HasFocus && list_.hasFocus()) {
            QPainterPath ring;
            ring.addRoundedRect(QRectF(card).adjusted(-3, -3, 3, 3), 14, 14);
            painter->setPen(QPen(Colour::primary.resolved(), 2));
            painter->drawPath(ring);
        }
        painter->restore();
    }

private:
    int textWidth(int viewportWidth) const {
        return std::max(40, viewportWidth - 2 * inset - 2 * sidePadding -
                                (opens_ ? chevronWidth + 8 : 0));
    }
    void paintAction(QPainter& painter, const QModelIndex& index) const {
        if (swipe_.offset(index) == 0)
            return;
        const QList<QRect> rects = swipe_.buttonRects(index, RowSwipeController::Edge::trailing);
        if (rects.isEmpty())
            return;
        const QRect button = rects.first();
        QPainterPath shape;
        shape.addRoundedRect(QRectF(button), 12, 12);
        painter.fillPath(shape, Colour::error.resolved());
        const QFont font = DesignFont::system(12, QFont::Medium, FontScaling::fixed);
        const QFontMetrics metrics(font);
        const int top = button.center().y() - (22 + metrics.height()) / 2;
        Symbols::paint(painter, QRectF(button.left(), top, button.width(), 20),
                       QStringLiteral("trash"), 17, Qt::white);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(button.left(), top + 22, button.width(), metrics.height()),
                         Qt::AlignCenter, list_.rows_->rows[index.row()].actionTitle);
    }

    PeopleCardList& list_;
    RowSwipeController& swipe_;
    bool opens_;
};

PeopleCardList::PeopleCardList(bool opens, QWidget* parent)
    : QListView(parent), opens_(opens), rows_(new Rows(this)),
      swipe_(new RowSwipeController(this)) {
    PeopleCardAccessibility::install();
    setModel(rows_);
    setItemDelegate(new Delegate(*this, *swipe_, opens));
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::NoSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setResizeMode(QListView::Adjust);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    swipe_->setSides([](const QModelIndex&) {
        RowSwipeController::Sides sides;
        sides.trailingButtons = 1;
        sides.trailingFullSwipe = true;
        return sides;
    });
    swipe_->setMargins([](const QModelIndex&) { return QMargins(inset, gap, inset, gap); });
    connect(swipe_, &RowSwipeController::fullSwipe, this,
            [this](const QModelIndex& index, RowSwipeController::Edge) { act(index); });
    connect(swipe_, &RowSwipeController::offsetChanged, viewport(), qOverload<>(&QWidget::update));
    connect(rows_, &QAbstractItemModel::modelAboutToBeReset, swipe_, &RowSwipeController::close);
}

void PeopleCardList::setRows(const QList<PeopleRow>& rows) {
    if (rows == rows_->rows)
        return;
    rows_->replace(rows);
    updateGeometry();
}

const QList<PeopleRow>& PeopleCardList::rows() const {
    return rows_->rows;
}

void PeopleCardList::act(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const QString id = rows_->rows[index.row()].id;
    swipe_->close();
    emit acted(id);
}

void PeopleCardList::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        pressed_ = indexAt(event->position().toPoint());
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void PeopleCardList::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void PeopleCardList::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    event->accept();
    if (swipe_->buttonAt(at)) {
        act(index);
        return;
    }
    if (swipe_->isOpen()) {
        swipe_->close(); // a click elsewhere only closes the open row
        return;
    }
    if (opens_ && index.isValid() && index == pressed_) {
        setCurrentIndex(index);
        emit opened(rows_->rows[index.row()].id);
    }
    pressed_ = QPersistentModelIndex();
}

void PeopleCardList::keyPressEvent(QKeyEvent* event) {
    const bool confirmKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                            event->key() == Qt::Key_Space;
    if (opens_ && confirmKey && currentIndex().isValid()) {
        emit opened(rows_->rows[currentIndex().row()].id);
        return;
    }
    QListView::keyPressEvent(event);
}

void PeopleCardList::contextMenuEvent(QContextMenuEvent* event) {
    // From the keyboard's menu key: the current card, wherever the pointer is.
    const bool byKeyboard = event->reason() == QContextMenuEvent::Keyboard;
    const QModelIndex index = byKeyboard ? currentIndex() : indexAt(event->pos());
    if (!index.isValid())
        return;
    const QPoint at =
        byKeyboard ? viewport()->mapToGlobal(visualRect(index).center()) : event->globalPos();
    const PeopleRow row = rows_->rows[index.row()];
    QMenu menu(this);
    QAction* action = menu.addAction(QString(row.actionTitle).replace('&', "&&"));
    action->setIcon(Symbols::pixmap(QStringLiteral("trash"), 15, Colour::error.resolved()));
    if (menu.exec(at) == action)
        emit acted(row.id);
}
