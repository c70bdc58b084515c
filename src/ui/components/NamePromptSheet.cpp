// The name prompt sheet.
#include "NamePromptSheet.h"

#include "PrimaryButton.h"
#include "SingleLineField.h"
#include "TextButton.h"
#include "TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

NamePromptSheet::NamePromptSheet(NamePromptModel model, QWidget* parent)
    : SheetDialog(parent), model_(std::move(model)) {
    setWindowTitle(model_.title());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(16);

    auto* title = new TextLabel(model_.title(), DesignFont::system(22, QFont::DemiBold),
                                Theme::Colour::onSurface, this);
    title->setWordWrap(true);
    layout->addWidget(title);

    field_ = new SingleLineField(this);
    field_->setFont(DesignFont::system(17));
    field_->setRoundedBorder(true);
    field_->setPlaceholderText(model_.placeholder());
    field_->setAccessibleName(model_.placeholder());
    field_->setText(model_.text());
    connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_.setText(text);
        refresh();
    });
    connect(field_, &QLineEdit::returnPressed, this, &NamePromptSheet::confirm);
    layout->addWidget(field_);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    auto* cancel = new TextButton(
        tr("Cancel"),
        {DesignFont::system(17), Theme::Colour::primary, QMargins(4, 0, 4, 0), 44, std::nullopt},
        this);
    connect(cancel, &QAbstractButton::clicked, this, &NamePromptSheet::reject);
    buttons->addWidget(cancel, 0, Qt::AlignVCenter);
    buttons->addStretch(1);
    confirm_ = new PrimaryButton(model_.confirmTitle(), true, this);
    connect(confirm_, &QAbstractButton::clicked, this, &NamePromptSheet::confirm);
    buttons->addWidget(confirm_, 0, Qt::AlignVCenter);
    layout->addLayout(buttons);
    layout->addStretch(1);

    setMinimumWidth(360);
    refresh();
}

void NamePromptSheet::setText(const QString& text) {
    field_->setText(text); // the field's change updates the model
}

void NamePromptSheet::refresh() {
    confirm_->setInactive(!model_.canConfirm());
}

void NamePromptSheet::confirm() {
    const std::optional<QString> typed = model_.confirm();
    if (!typed)
        return;
    emit confirmed(*typed);
    const QSignalBlocker quiet(field_);
    field_->clear();
    refresh();
    accept();
}

void NamePromptSheet::reject() {
    model_.cancel();
    const QSignalBlocker quiet(field_);
    field_->clear();
    refresh();
    SheetDialog::reject();
}

void NamePromptSheet::showEvent(QShowEvent* event) {
    SheetDialog::showEvent(event);
    field_->setFocus(Qt::OtherFocusReason);
}
