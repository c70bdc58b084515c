// The tag order sheet.
#include "ArrangeTagsSheet.h"

#include "TagOrderModel.h"
#include "store/ListStore.h"
#include "ui/components/RowDragController.h"
#include "ui/components/TagChip.h"
#include "ui/components/TextButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int rowHeight = 44;

// A tag's row: its chip at the leading edge of a card-coloured row.
class TagRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->fillRect(option.rect, Theme::Colour::card.resolved());
        // A hairline between rows.
        if (index.row() > 0) {
            QColor line = Theme::Colour::outlineVariant.resolved();
            line.setAlphaF(0.5);
            painter->fillRect(
                QRectF(option.rect.left() + 16, option.rect.top(), option.rect.width() - 16, 0.5),
                line);
        }
        const QFont font = TagChip::chipFont();
        const QString tag = index.data(Qt::DisplayRole).toString();
        const QSizeF size = TagChip::sizeFor(tag, font);
        const QRectF box(option.rect.left() + 16,
                         option.rect.top() + (option.rect.height() - size.height()) / 2.0,
                         size.width(), size.height());
        TagChip::paint(*painter, box, tag, false, font);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const QSizeF chip =
            TagChip::sizeFor(index.data(Qt::DisplayRole).toString(), TagChip::chipFont());
        return {int(chip.width()) + 32, qMax(rowHeight, int(chip.height()) + 8)};
    }
};

} // namespace

ArrangeTagsSheet::ArrangeTagsSheet(const QStringList& tags,
                                   std::function<void(const QStringList&)> onSave, QWidget* parent)
    : SheetDialog(parent), order_(new TagOrderModel(tags, this)), onSave_(std::move(onSave)) {
    setObjectName(QStringLiteral("arrangeTags"));
    setWindowTitle(TagOrderModel::title());
    resize(420, 520);

    const QFont barFont = DesignFont::system(17);
    cancel_ = new TextButton(TagOrderModel::cancelTitle(),
                             {barFont, Theme::Colour::primary, QMargins(8, 0, 8, 0), 44, {}});
    cancel_->setAccessible({TagOrderModel::cancelTitle(), {}, {}, {}, {}});
    done_ = new TextButton(TagOrderModel::doneTitle(), {DesignFont::system(17, QFont::DemiBold),
                                                        Theme::Colour::primary,
                                                        QMargins(8, 0, 8, 0),
                                                        44,
                                                        {}});
    done_->setAccessible({TagOrderModel::doneLabel(), {}, {}, {}, {}});
    auto* title = new TextLabel(TagOrderModel::title(), DesignFont::system(17, QFont::DemiBold),
                                Theme::Colour::onSurface);
    title->setAlignment(Qt::AlignCenter);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(8, 4, 8, 4);
    bar->addWidget(cancel_);
    bar->addWidget(title, 1);
    bar->addWidget(done_);

    rows_ = new QListView;
    rows_->setObjectName(QStringLiteral("tagOrderRows"));
    rows_->setModel(order_);
    rows_->setItemDelegate(new TagRowDelegate(rows_));
    rows_->setSelectionMode(QAbstractItemView::NoSelection);
    rows_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    rows_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rows_->setFrameShape(QFrame::NoFrame);
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->viewport()->setAutoFillBackground(false);
    rows_->setAutoFillBackground(false);
    rows_->setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    rows_->setAccessibleName(TagOrderModel::title());
    rows_->setVisible(!tags.isEmpty());

    // Any row is dragged from anywhere on it.
    drag_ = new RowDragController(rows_);
    drag_->setLineColour([] { return Theme::Colour::primary.resolved(); });
    drag_->setCanDrag([](const QModelIndex& index, const QPoint&) { return index.isValid(); });
    connect(drag_, &RowDragController::dropped, order_, &TagOrderModel::move);

    auto* footer = new TextLabel(TagOrderModel::footer(), DesignFont::system(15),
                                 Theme::Colour::onSurfaceVariant);
    footer->setWordWrap(true);
    footer->setContentsMargins(16, 8, 16, 0);

    auto* body = new QVBoxLayout(this);
    body->setContentsMargins(0, 0, 0, 16);
    body->setSpacing(8);
    body->addLayout(bar);
    auto* list = new QVBoxLayout;
    list->setContentsMargins(16, 8, 16, 0);
    list->addWidget(rows_, 1);
    list->addWidget(footer);
    list->addStretch(0);
    body->addLayout(list, 1);
    // The rows take the height they need, up to what the sheet has; the footer follows them.
    int rowsHeight = 0;
    for (int row = 0; row < order_->rowCount(); ++row)
        rowsHeight += rows_->sizeHintForRow(row);
    rows_->setMaximumHeight(rowsHeight + 2);

    connect(cancel_, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(done_, &QAbstractButton::clicked, this, [this] {
        // Saved first, closed after.
        if (onSave_)
            onSave_(order_->order());
        accept();
    });
}

ArrangeTagsSheet* ArrangeTagsSheet::forList(ListStore& store, const QString& listID,
                                            QWidget* parent) {
    ListStore* owner = &store;
    return new ArrangeTagsSheet(
        store.vocabulary(listID),
        [owner, listID](const QStringList& order) { TagOrderModel::write(*owner, listID, order); },
        parent);
}
