// The due-date picker.
#include "DueDatePicker.h"

#include "PopupPlacement.h"

#include "ui/theme/DesignFont.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QScreen>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace {

// The date and time field. A wheel turned over it scrolls the sheet it is in: a field that
// changed its value under the wheel would change the date of a user who only scrolled past it,
// focused or not. The date changes by typing, the arrow keys and the calendar.
class DateField final : public QDateTimeEdit {
public:
    explicit DateField(QWidget* parent) : QDateTimeEdit(parent) {
        // The wheel neither focuses it (its default for a spin box) nor reaches its value.
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }
};

// Qt's table view tells the screen reader of focus on its current cell whenever that cell
// changes, focused or not, and even shown or not. The calendar's table sets its cell as it is
// made (today) and follows every date the field is given: none of that reaches the reader.
void tellNothing(QAccessibleEvent*) {}

// While the calendar (its window, `popup`) is closed its table of days hears nothing of its
// cell moving: the cell moves all the same, and the table shows it when it opens.
void keepQuiet(QObject* popup, bool quiet) {
    if (auto* days = popup->findChild<QAbstractItemView*>())
        if (QItemSelectionModel* selection = days->selectionModel())
            selection->blockSignals(quiet);
}

} // namespace

DueDatePicker::DueDatePicker(const QString& accessibleLabel, QWidget* parent)
    : QWidget(parent), edit_(new DateField(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    edit_->setTimeSpec(Qt::LocalTime);
    edit_->setCalendarPopup(true);
    edit_->setDisplayFormat(QStringLiteral("d MMM yyyy   HH:mm"));
    edit_->setFont(DesignFont::system(17));
    edit_->setMinimumHeight(36);
    edit_->setAccessibleName(accessibleLabel);
    // The calendar's own window, made now (so that it has the size it opens with, whatever
    // the picker is put into later): it is placed each time it opens. Made unheard, and quiet
    // until it opens.
    const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(&tellNothing);
    QCalendarWidget* calendar = edit_->calendarWidget();
    QAccessible::installUpdateHandler(previous);
    if (calendar) {
        keepQuiet(calendar, true);
        calendar->window()->installEventFilter(this);
    }
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

bool DueDatePicker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide)
        keepQuiet(watched, true);
    // QDateTimeEdit has placed it under the field, fitting the screen only; it is shown next.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        keepQuiet(watched, false);
        auto* popup = static_cast<QWidget*>(watched);
        const QScreen* screen = edit_->screen();
        const QRect field(edit_->mapToGlobal(QPoint(0, 0)), edit_->size());
        popup->move(PopupPlacement::place(field, popup->size(), edit_->window()->geometry(),
                                          screen ? screen->availableGeometry()
                                                 : edit_->window()->geometry(),
                                          edit_->layoutDirection() == Qt::RightToLeft));
    }
    return QWidget::eventFilter(watched, event);
}
