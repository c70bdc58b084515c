// The window's registry of sheets, and the one-at-a-time showing of them.
#include "ui/window/WindowSheets.h"

#include "ui/components/FocusReturn.h"
#include "ui/components/SheetDialog.h"

#include <QDialog>
#include <QEvent>
#include <QTimer>

void WindowSheets::add(WindowSheet kind, Factory make) {
    factories_.insert(kind, std::move(make));
    emit added(kind);
}

void WindowSheets::add(WindowSheet kind, PlainFactory make) {
    add(kind, Factory([make = std::move(make)](const WindowSheetSubject&, QWidget* parent) {
            return make(parent);
        }));
}

QDialog* WindowSheets::make(WindowSheet kind, const WindowSheetSubject& subject,
                            QWidget* parent) const {
    const auto found = factories_.find(kind);
    return found == factories_.end() ? nullptr : (*found)(subject, parent);
}

void WindowSheets::present(WindowSheet kind, const WindowSheetSubject& subject, QWidget* window,
                           QObject* requester, std::function<void()> closed) {
    waiting_.append(
        {kind, subject, window, requester, std::move(closed), FocusReturn::focusIn(window)});
    presentNext();
}

void WindowSheets::presentNext() {
    while (!presented_ && !waiting_.isEmpty()) {
        // A sheet another part of the window shows (the lists page's own) goes first.
        if (SheetDialog* other = SheetDialog::shown(); other && other->isVisible()) {
            waitForShownSheet();
            return;
        }
        Request request = waiting_.takeFirst();
        if (!request.requester || !request.window)
            continue;
        QDialog* dialog = make(request.kind, request.subject, request.window->window());
        if (!dialog) {
            if (request.closed)
                request.closed();
            continue;
        }
        presented_ = dialog;
        FocusReturn::arm(dialog, request.opener);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::WindowModal);
        QPointer<QObject> requester = request.requester;
        connect(dialog, &QDialog::finished, this,
                [this, dialog, requester, closed = std::move(request.closed)] {
                    if (presented_ == dialog)
                        presented_ = nullptr;
                    if (requester && closed)
                        closed();
                    // Not from inside the closing sheet's own handler.
                    QTimer::singleShot(0, this, &WindowSheets::presentNext);
                });
        if (auto* sheet = qobject_cast<SheetDialog*>(dialog))
            sheet->present();
        else
            dialog->open();
    }
}

void WindowSheets::waitForShownSheet() {
    SheetDialog* other = SheetDialog::shown();
    if (watched_ == other)
        return;
    if (watched_)
        watched_->removeEventFilter(this);
    watched_ = other;
    other->installEventFilter(this);
    connect(other, &QObject::destroyed, this,
            [this] { QTimer::singleShot(0, this, &WindowSheets::presentNext); });
}

bool WindowSheets::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watched_ && event->type() == QEvent::Hide) {
        watched_->removeEventFilter(this);
        watched_ = nullptr;
        QTimer::singleShot(0, this, &WindowSheets::presentNext);
    }
    return QObject::eventFilter(watched, event);
}
