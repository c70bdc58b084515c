// One circle's screen.
#include "CircleDetailPage.h"

#include "CircleDetailModel.h"
#include "PeopleCard.h"
#include "PeopleCardList.h"
#include "PeopleNavBar.h"
#include "ui/components/MessageAlert.h"
#include "ui/components/PrimaryButton.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QMessageBox>
#include <QPainter>
#include <QVBoxLayout>

namespace {

SingleLineField* field(const QString& placeholder) {
    auto* field = new SingleLineField;
    field->setRoundedBorder(true);
    field->setFont(DesignFont::system(17));
    field->setPlaceholderText(placeholder);
    field->setAccessibleName(placeholder);
    return field;
}

TextLabel* header(const QString& text) {
    auto* label = new TextLabel(text, DesignFont::smallHeading(), Theme::Colour::onSurfaceVariant);
    label->setContentsMargins(20, 12, 16, 4);
    return label;
}

} // namespace

CircleDetailPage::CircleDetailPage(ListStore& store, const QString& circleID, QWidget* parent)
    : QWidget(parent), model_(new CircleDetailModel(store, circleID, this)) {
    bar_ =
        new PeopleNavBar(PeopleNavBar::Leading::back, QStringLiteral("Circles"), model_->title());
    connect(bar_, &PeopleNavBar::leadingClicked, this, &CircleDetailPage::backRequested);

    name_ = field(CircleDetailModel::namePlaceholder());
    handle_ = field(CircleDetailModel::handlePlaceholder());
    add_ = new PrimaryButton(CircleDetailModel::addTitle(), true);
    auto* form = new PeopleCard(8);
    form->column()->addWidget(name_);
    form->column()->addWidget(handle_);
    form->column()->addWidget(add_);
    auto* formRow = new QWidget;
    auto* formLayout = new QVBoxLayout(formRow);
    formLayout->setContentsMargins(16, 4, 16, 4);
    formLayout->addWidget(form);

    memberHeader_ = header(QString());
    members_ = new PeopleCardList(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar_);
    layout->addWidget(header(CircleDetailModel::addHeader()));
    layout->addWidget(formRow);
    layout->addWidget(memberHeader_);
    layout->addWidget(members_, 1);

    // Return in the fields adds nothing: only the button adds.
    connect(name_, &QLineEdit::textChanged, model_, &CircleDetailModel::setName);
    connect(handle_, &QLineEdit::textChanged, model_, &CircleDetailModel::setHandle);
    connect(add_, &QAbstractButton::clicked, model_, &CircleDetailModel::addPerson);
    connect(members_, &PeopleCardList::acted, model_, &CircleDetailModel::removePerson);
    connect(model_, &CircleDetailModel::changed, this, &CircleDetailPage::sync);
    sync();
}

void CircleDetailPage::sync() {
    bar_->setTitle(model_->title());
    if (name_->text() != model_->name())
        name_->setText(model_->name());
    if (handle_->text() != model_->handle())
        handle_->setText(model_->handle());
    add_->setInactive(!model_->canAdd());
    const std::optional<QString> header = model_->memberHeader();
    memberHeader_->setVisible(header.has_value());
    memberHeader_->setText(header.value_or(QString()));
    members_->setRows(model_->members());
    if (model_->problem() && !alert_)
        showProblem();
}

void CircleDetailPage::showProblem() {
    alert_ = MessageAlert::make(*model_->problem(), this);
    alert_->setAttribute(Qt::WA_DeleteOnClose);
    connect(alert_, &QDialog::finished, this, [this] {
        alert_ = nullptr;
        model_->dismissProblem();
    });
    alert_->open();
}

void CircleDetailPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::background.resolved());
}
