// The sharing set-up sheet.
#include "SharingSetupSheet.h"

#include "PeopleNavBar.h"
#include "SharingSetupModel.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/TextLabel.h"
#include "ui/lists/LabelButton.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QPointer>
#include <QVBoxLayout>

SharingSetupSheet::SharingSetupSheet(Defaults& defaults, std::function<void()> onContinue,
                                     QWidget* parent)
    : SheetDialog(parent), model_(new SharingSetupModel(defaults, this)),
      onContinue_(std::move(onContinue)) {
    setObjectName(QStringLiteral("sharingSetupSheet"));
    setWindowTitle(SharingSetupModel::title());
    resize(460, 300);

    auto* bar = new PeopleNavBar(PeopleNavBar::Leading::cancel, SharingSetupModel::cancelTitle(),
                                 SharingSetupModel::title());
    cancel_ = bar->leadingButton();
    continue_ = new LabelButton(SharingSetupModel::continueTitle(),
                                {DesignFont::system(17, QFont::DemiBold), Theme::Colour::primary,
                                 QMargins(8, 0, 8, 0), 44});
    continue_->setAccessible({SharingSetupModel::continueTitle(), {}, {}, {}, {}});
    bar->setTrailing(continue_);

    field_ = new SingleLineField;
    field_->setRoundedBorder(true);
    field_->setFont(DesignFont::system(17));
    field_->setPlaceholderText(SharingSetupModel::placeholder());
    field_->setAccessibleName(SharingSetupModel::fieldLabel());
    auto* explanation = new TextLabel(SharingSetupModel::explanation(), DesignFont::system(15),
                                      Theme::Colour::onSurfaceVariant);
    explanation->setWordWrap(true);

    auto* column = new QVBoxLayout;
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(16);
    column->addWidget(field_);
    column->addWidget(explanation);
    column->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addLayout(column, 1);

    connect(bar, &PeopleNavBar::leadingClicked, this, &QDialog::reject);
    connect(continue_, &QAbstractButton::clicked, this, &SharingSetupSheet::commit);
    // Return confirms here, as "Continue" does; a blank name makes it do nothing.
    connect(field_, &QLineEdit::returnPressed, this, &SharingSetupSheet::commit);
    connect(field_, &QLineEdit::textChanged, model_, &SharingSetupModel::setLabel);
    connect(model_, &SharingSetupModel::changed, this,
            [this] { continue_->setEnabled(model_->canContinue()); });
    continue_->setEnabled(model_->canContinue());
}

void SharingSetupSheet::commit() {
    if (!model_->commit())
        return;
    // Closed first, then sharing goes on; the sheet may be deleted as it closes.
    std::function<void()> next = onContinue_;
    accept();
    if (next)
        next();
}

void SharingSetupSheet::showEvent(QShowEvent* event) {
    SheetDialog::showEvent(event);
    field_->setFocus(Qt::OtherFocusReason);
}
