// The due-date picker.
#include "DueDatePicker.h"

#include "ui/theme/DesignFont.h"

#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QSignalBlocker>

DueDatePicker::DueDatePicker(const QString& accessibleLabel, QWidget* parent)
    : QWidget(parent), edit_(new QDateTimeEdit(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    edit_->setTimeSpec(Qt::LocalTime);
    edit_->setCalendarPopup(true);
    edit_->setDisplayFormat(QStringLiteral("d MMM yyyy   HH:mm"));
    edit_->setFont(DesignFont::system(17));
    edit_->setMinimumHeight(36);
    edit_->setAccessibleName(accessibleLabel);
    layout->addWidget(edit_);
    layout->addStretch(1);
    connect(edit_, &QDateTimeEdit::dateTimeChanged, this,
            [this](const QDateTime& picked) { emit edited(Date::fromQDateTime(picked)); });
}

void DueDatePicker::setDate(Date date) {
    // The date the user is picking comes back from the model: leave the field as it is.
    if (Date::fromQDateTime(edit_->dateTime()) == date)
        return;
    const QSignalBlocker quiet(edit_);
    edit_->setDateTime(date.toQDateTime().toLocalTime());
}
