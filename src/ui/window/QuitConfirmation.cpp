// Asking before quitting leaves changes out of the store file.
#include "ui/window/QuitConfirmation.h"

#include "ui/components/MessageAlert.h"
#include "ui/window/StoreNoticeModel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

QuitConfirmation::QuitConfirmation(StoreNoticeModel& model, QWidget& window)
    : QObject(&window), model_(model), window_(window) {
    window_.installEventFilter(this);
}

bool QuitConfirmation::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_ || event->type() != QEvent::Close || confirmed_ ||
        !model_.quitAsksFirst())
        return false;
    event->ignore();
    ask();
    return true;
}

void QuitConfirmation::ask() {
    if (question_)
        return;
    auto* box = new QMessageBox(&window_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Warning);
    box->setTextFormat(Qt::PlainText);
    box->setText(StoreNoticeModel::quitTitle());
    box->setInformativeText(StoreNoticeModel::quitMessage());
    QPushButton* quit =
        box->addButton(StoreNoticeModel::quitButton(), QMessageBox::DestructiveRole);
    QPushButton* cancel = box->addButton(StoreNoticeModel::cancelButton(), QMessageBox::RejectRole);
    // Return keeps the window: only a deliberate click throws the changes away.
    quit->setAutoDefault(false);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    connect(quit, &QAbstractButton::clicked, this, [this] {
        confirmed_ = true;
        if (window_.close())
            QCoreApplication::quit();
    });
    question_ = box;
    MessageAlert::openInFront(box);
}
