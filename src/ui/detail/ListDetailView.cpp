// The list's pane.
#include "ListDetailView.h"

#include "DetailItemsView.h"
#include "ListDetailModel.h"
#include "ShareBadgeView.h"
#include "ViewOnlyNote.h"
#include "ui/components/EmptyState.h"
#include "ui/components/ReadingColumn.h"
#include "ui/components/SymbolButton.h"
#include "ui/theme/ThemeColour.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>

ListDetailView::ListDetailView(ListDetailModel& screen, QWidget* parent)
    : QWidget(parent), screen_(screen) {
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);

    auto* toolbar = new QHBoxLayout;
    toolbar->setContentsMargins(8, 4, 8, 0);
    toolbar->setSpacing(4);
    toolbar->addStretch(1);
    badge_ = new ShareBadgeView(this);
    toolbar->addWidget(badge_);
    actions_ = new SymbolButton(QStringLiteral("ellipsis.circle"), 17, Theme::Colour::primary,
                                QStringLiteral("List actions"), this);
    actionsMenu_ = new QMenu(this);
    connect(actions_, &QAbstractButton::clicked, this,
            [this] { actionsMenu_->popup(actions_->mapToGlobal(QPoint(0, actions_->height()))); });
    actionsMenu_->installEventFilter(this);
    actions_->setVisible(false);
    toolbar->addWidget(actions_);
    layout_->addLayout(toolbar);

    items_ = new DetailItemsView(screen_, this);
    layout_->addWidget(new ReadingColumn(items_, Theme::Colour::background, this), 1);

    viewOnly_ = new ViewOnlyNote(this);
    layout_->addWidget(viewOnly_);

    empty_ = new EmptyState({QStringLiteral("Nothing here yet"),
                             QStringLiteral("Add an item below, or paste a list."),
                             QStringLiteral("checklist"),
                             std::nullopt,
                             {}},
                            this);
    // The empty state lies over the list and lets clicks through to it.
    empty_->setAttribute(Qt::WA_TransparentForMouseEvents);

    items_->installEventFilter(this); // the empty state follows the items' place and size
    connect(&screen_, &ListDetailModel::refreshed, this, &ListDetailView::follow);
    follow();
}

bool ListDetailView::showsViewOnlyNote() const {
    return !viewOnly_->isHidden();
}

bool ListDetailView::showsEmptyState() const {
    return !empty_->isHidden();
}

void ListDetailView::setAddBar(QWidget* bar) {
    addBar_ = bar;
    layout_->insertWidget(layout_->indexOf(viewOnly_), bar);
    follow();
}

void ListDetailView::follow() {
    const DetailSnapshot& snapshot = screen_.snapshot();
    badge_->setVisible(snapshot.badge.has_value());
    if (snapshot.badge)
        badge_->setFace(*snapshot.badge);
    viewOnly_->setVisible(!snapshot.canEdit);
    if (addBar_)
        addBar_->setVisible(snapshot.canEdit);
    empty_->setVisible(snapshot.showsEmptyState);
    placeEmptyState();
}

void ListDetailView::placeEmptyState() {
    if (empty_->isHidden())
        return;
    const QRect over(items_->mapTo(this, QPoint(0, 0)), items_->size());
    const QSize size = empty_->sizeHint().boundedTo(over.size());
    empty_->setGeometry(QRect(over.center() - QPoint(size.width() / 2, size.height() / 2), size));
    empty_->raise();
}

bool ListDetailView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == items_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        placeEmptyState();
    if (watched == actionsMenu_ &&
        (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionRemoved))
        actions_->setVisible(!actionsMenu_->actions().isEmpty() ||
                             event->type() == QEvent::ActionAdded);
    return QWidget::eventFilter(watched, event);
}

void ListDetailView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeEmptyState();
}

void ListDetailView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::background.resolved());
}
