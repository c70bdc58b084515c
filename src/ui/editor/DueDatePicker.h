#pragma once

#include "platform/Date.h"

#include <QWidget>

class QDateTimeEdit;

// The due date's date and time, shown in the local time zone. The editor's model owns the
// date: QDateTimeEdit holds only dates from 1752 to 9999 and announces every change of its
// value, also those the program makes, so the picker is set quietly and tells only of dates
// the user picked (edited()). A date outside its range is shown clamped but stays the model's
// until the user picks another. The wheel never changes it: it scrolls what the picker is in.
// The calendar opens where it fits in the sheet: under the field, or over it near the sheet's
// bottom edge.
class DueDatePicker : public QWidget {
    Q_OBJECT
public:
    explicit DueDatePicker(const QString& accessibleLabel, QWidget* parent = nullptr);

    void setDate(Date date);
    QDateTimeEdit* editor() const { return edit_; }

signals:
    void edited(Date date);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDateTimeEdit* edit_;
};
