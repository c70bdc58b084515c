// The circles screen.
#include "CirclesPage.h"

#include "CircleDetailPage.h"
#include "CirclesModel.h"
#include "PeopleCard.h"
#include "PeopleCardList.h"
#include "PeopleNavBar.h"
#include "ui/components/EmptyState.h"
#include "ui/components/NamePromptSheet.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

CirclesPage::CirclesPage(ListStore& store, const QString& backTitle, QWidget* parent)
    : QWidget(parent), store_(store), model_(new CirclesModel(store, this)) {
    auto* bar = new PeopleNavBar(PeopleNavBar::Leading::back, backTitle, CirclesModel::title());
    plus_ = new SymbolButton(QStringLiteral("plus"), 22, Theme::Colour::primary,
                             CirclesModel::newCircleLabel());
    bar->setTrailing(plus_);
    connect(bar, &PeopleNavBar::leadingClicked, this, &CirclesPage::backRequested);
    connect(plus_, &QAbstractButton::clicked, model_, &CirclesModel::openNewCircle);

    EmptyStateContent content{CirclesModel::emptyTitle(), CirclesModel::emptyMessage(),
                              CirclesModel::emptySymbol(), CirclesModel::emptyActionTitle(),
                              [this] { model_->openNewCircle(); }};
    empty_ = new EmptyState(std::move(content));

    auto* explanation = new TextLabel(CirclesModel::explanation(), DesignFont::system(15),
                                      Theme::Colour::onSurfaceVariant);
    explanation->setWordWrap(true);
    explanation->setAccessibleName(CirclesModel::explanation());
    auto* card = new PeopleCard;
    card->column()->addWidget(explanation);
    circles_ = new PeopleCardList(true);
    filled_ = new QWidget;
    auto* filledLayout = new QVBoxLayout(filled_);
    filledLayout->setContentsMargins(0, 8, 0, 0);
    filledLayout->setSpacing(4);
    auto* cardRow = new QVBoxLayout;
    cardRow->setContentsMargins(16, 0, 16, 0);
    cardRow->addWidget(card);
    filledLayout->addLayout(cardRow);
    filledLayout->addWidget(circles_, 1);
    connect(circles_, &PeopleCardList::opened, this, &CirclesPage::openCircle);
    connect(circles_, &PeopleCardList::acted, model_, &CirclesModel::deleteCircle);

    content_ = new QStackedWidget;
    content_->addWidget(empty_);
    content_->addWidget(filled_);

    listPage_ = new QWidget;
    auto* listLayout = new QVBoxLayout(listPage_);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);
    listLayout->addWidget(bar);
    listLayout->addWidget(content_, 1);

    pages_ = new QStackedWidget;
    pages_->addWidget(listPage_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_);

    connect(model_, &CirclesModel::changed, this, &CirclesPage::sync);
    sync();
}

CircleDetailPage* CirclesPage::detail() const {
    return detail_;
}

NamePromptSheet* CirclesPage::prompt() const {
    return prompt_;
}

void CirclesPage::sync() {
    content_->setCurrentWidget(model_->showsEmptyState() ? static_cast<QWidget*>(empty_) : filled_);
    circles_->setRows(model_->rows());
    if (model_->showingNewCircle() && !prompt_)
        openPrompt();
}

void CirclesPage::openPrompt() {
    prompt_ = new NamePromptSheet(CirclesModel::newCirclePrompt(), this);
    prompt_->setAttribute(Qt::WA_DeleteOnClose);
    connect(prompt_, &NamePromptSheet::confirmed, model_, &CirclesModel::addCircle);
    connect(prompt_, &QDialog::finished, model_, &CirclesModel::newCircleClosed);
    // Over the window that holds this page (the settings sheet), modal to it alone.
    prompt_->show();
}

void CirclesPage::openCircle(const QString& circleID) {
    if (detail_) {
        pages_->removeWidget(detail_);
        detail_->deleteLater();
    }
    detail_ = new CircleDetailPage(store_, circleID);
    connect(detail_, &CircleDetailPage::backRequested, this, &CirclesPage::showCircles);
    pages_->addWidget(detail_);
    pages_->setCurrentWidget(detail_);
    detail_->nameField()->setFocus(Qt::OtherFocusReason);
}

void CirclesPage::showCircles() {
    pages_->setCurrentWidget(listPage_);
    if (detail_) {
        pages_->removeWidget(detail_);
        detail_->deleteLater(); // the fields start empty when the circle opens again
        detail_ = nullptr;
    }
    circles_->setFocus(Qt::OtherFocusReason);
}

void CirclesPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::background.resolved());
}
