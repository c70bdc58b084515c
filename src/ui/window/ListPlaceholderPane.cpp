#include "ui/window/ListPlaceholderPane.h"

#include "ui/components/EmptyState.h"
#include "ui/components/FloatingAddButton.h"
#include "ui/components/PrimaryButton.h"
#include "ui/components/ReadingColumn.h"
#include "ui/theme/ThemeColour.h"

#include <QVBoxLayout>

#include <utility>

namespace {
constexpr int cornerPadding = 16;
} // namespace

ListPlaceholderPane::ListPlaceholderPane(ListPlaceholderModel model, QWidget* parent)
    : QWidget(parent), model_(std::move(model)) {
    const auto newList = [this] {
        if (model_.onNewList)
            model_.onNewList();
    };
    auto* centred = new QWidget;
    auto* block = new QVBoxLayout(centred);
    block->setContentsMargins(0, 0, 0, 0);
    block->addStretch();
    auto* empty = new EmptyState({ListPlaceholderModel::title(), ListPlaceholderModel::message(),
                                  ListPlaceholderModel::symbol(),
                                  ListPlaceholderModel::actionTitle(), newList});
    block->addWidget(empty);
    block->addStretch();
    newListButton_ = empty->findChild<PrimaryButton*>();

    column_ = new ReadingColumn(centred, Theme::Colour::background, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(column_);

    auto* add = new FloatingAddButton(ListPlaceholderModel::addButtonLabel(), false, this);
    add->resize(add->sizeHint());
    connect(add, &QAbstractButton::clicked, this, newList);
    addButton_ = add;
    placeCornerButton();
}

void ListPlaceholderPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeCornerButton();
}

void ListPlaceholderPane::placeCornerButton() {
    const QRect area =
        rect().adjusted(cornerPadding, cornerPadding, -cornerPadding, -cornerPadding);
    const QPoint corner =
        layoutDirection() == Qt::RightToLeft
            ? area.bottomLeft() - QPoint(0, addButton_->height() - 1)
            : area.bottomRight() - QPoint(addButton_->width() - 1, addButton_->height() - 1);
    addButton_->move(corner);
    addButton_->raise();
}
