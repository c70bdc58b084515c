#include "ui/window/ListPlaceholderPane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace {
constexpr int readingColumnWidth = 640;
constexpr int cornerPadding = 16;
constexpr int addButtonSize = 56;
} // namespace

ListPlaceholderPane::ListPlaceholderPane(ListPlaceholderModel model, QWidget* parent)
    : QWidget(parent), model_(std::move(model)), column_(new QWidget),
      newListButton_(new QPushButton(ListPlaceholderModel::actionTitle())),
      addButton_(new QToolButton(this)) {
    auto* title = new QLabel(ListPlaceholderModel::title());
    auto* message = new QLabel(ListPlaceholderModel::message());
    for (QLabel* label : {title, message}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignHCenter);
        label->setWordWrap(true);
    }
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto* block = new QVBoxLayout(column_);
    block->addStretch();
    block->addWidget(title);
    block->addWidget(message);
    block->addWidget(newListButton_, 0, Qt::AlignHCenter);
    block->addStretch();
    column_->setMaximumWidth(readingColumnWidth);

    auto* centred = new QHBoxLayout(this);
    centred->addStretch();
    centred->addWidget(column_, 1);
    centred->addStretch();

    addButton_->setText(QStringLiteral("+"));
    addButton_->setAccessibleName(ListPlaceholderModel::addButtonLabel());
    addButton_->setToolTip(ListPlaceholderModel::addButtonLabel());
    addButton_->setFixedSize(addButtonSize, addButtonSize);

    const auto newList = [this] {
        if (model_.onNewList)
            model_.onNewList();
    };
    connect(newListButton_, &QAbstractButton::clicked, this, newList);
    connect(addButton_, &QAbstractButton::clicked, this, newList);
    placeCornerButton();
}

void ListPlaceholderPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeCornerButton();
}

void ListPlaceholderPane::placeCornerButton() {
    addButton_->move(width() - cornerPadding - addButton_->width(),
                     height() - cornerPadding - addButton_->height());
    addButton_->raise();
}
