// The focus given back when a sheet closes.
#include "FocusReturn.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// Whether the widget can have the focus back: it is there to see and use. The opener itself
// may have had it without taking Tab (a field the program focused); what it lies in must take
// the focus as a control.
bool canTake(const QWidget* widget, bool opener) {
    if (!widget || widget->isWindow() || !widget->isVisible() || !widget->isEnabled())
        return false;
    return opener || (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

} // namespace

FocusReturn::FocusReturn(QDialog* dialog, QWidget* opener) : QObject(dialog) {
    for (QWidget* widget = opener; widget; widget = widget->parentWidget()) {
        path_.append(widget);
        if (widget->isWindow())
            break;
    }
    dialog->installEventFilter(this);
}

void FocusReturn::arm(QDialog* dialog, QWidget* opener) {
    if (!dialog || !opener || opener->window() == dialog || dialog->isAncestorOf(opener))
        return;
    if (dialog->findChild<FocusReturn*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new FocusReturn(dialog, opener);
}

QWidget* FocusReturn::focusIn(QWidget* window) {
    if (!window)
        return nullptr;
    // While a menu is up the application's focus is in the menu; the window remembers its own.
    return window->window()->focusWidget();
}

QWidget* FocusReturn::openerOf(const QDialog* dialog) {
    const auto* armed =
        dialog ? dialog->findChild<FocusReturn*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    return armed && !armed->path_.isEmpty() ? armed->path_.first().data() : nullptr;
}

bool FocusReturn::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Hide && !event->spontaneous())
        giveBack();
    return QObject::eventFilter(watched, event);
}

void FocusReturn::giveBack() const {
    // Next turn: the closing dialog is gone by then, and Qt has done its own moving of the focus.
    giveBackLater(path_);
}

void FocusReturn::giveBackLater(const QList<QPointer<QWidget>>& path) {
    if (path.isEmpty() || !path.last())
        return;
    QTimer::singleShot(0, path.last(), [path] {
        QWidget* target = nullptr;
        for (qsizetype i = 0; i < path.size() && !target; ++i)
            if (canTake(path.at(i), i == 0))
                target = path.at(i);
        if (!target)
            return;
        QWidget* window = target->window();
        // Another sheet or alert may have come up meanwhile: it keeps the keyboard, and the focus
        // waits in the window for its turn. Under a window manager the new one is not yet the
        // active window for a moment after it shows; it is already the modal one.
        target->setFocus(Qt::OtherFocusReason);
        if (!window->isActiveWindow() && !QApplication::activeWindow() &&
            !QApplication::activeModalWidget())
            window->activateWindow();
        // A control made again in this same turn (chips rebuilt as the sheet saved) goes a moment
        // later, taking the focus with it: then what it lay in has it. Only in the moment after
        // the sheet: a control that goes much later is no business of the sheet's.
        const QMetaObject::Connection gone = QObject::connect(
            target, &QObject::destroyed, window,
            [path, window] {
                if (!QApplication::focusWidget() || !window->focusWidget())
                    giveBackLater(path);
            },
            Qt::SingleShotConnection);
        QTimer::singleShot(1000, window, [gone] { QObject::disconnect(gone); });
    });
}
