// The removal confirmation of the lists page.
#include "ListRemovalAlert.h"

#include "ListsScreenModel.h"
#include "ui/components/MessageAlert.h"
#include "ui/components/PlainText.h"

#include <QMessageBox>
#include <QPushButton>

ListRemovalAlert::ListRemovalAlert(ListsScreenModel& screen, QWidget* anchor)
    : QObject(anchor), screen_(screen), anchor_(anchor) {
    connect(&screen_, &ListsScreenModel::removalChanged, this, &ListRemovalAlert::sync);
    connect(&screen_, &ListsScreenModel::changed, this, &ListRemovalAlert::sync);
}

ListRemovalAlert::~ListRemovalAlert() {
    delete box_;
}

void ListRemovalAlert::sync() {
    if (screen_.isConfirmingRemoval() && !box_)
        show();
    else if (screen_.isConfirmingRemoval() && box_)
        retitle(); // the list was renamed or shared meanwhile
    else if (!screen_.isConfirmingRemoval() && box_)
        box_->done(QMessageBox::Cancel);
}

void ListRemovalAlert::show() {
    box_ = new QMessageBox(anchor_->window());
    box_->setObjectName(QStringLiteral("listRemovalAlert"));
    box_->setAttribute(Qt::WA_DeleteOnClose);
    box_->setWindowModality(Qt::WindowModal);
    box_->setIcon(QMessageBox::NoIcon);
    box_->setTextFormat(Qt::PlainText);
    box_->setText(screen_.removalTitle());
    box_->setInformativeText(screen_.removalMessage());
    PlainText::apply(*box_);
    remove_ =
        box_->addButton(PlainText::forButton(screen_.removalVerb()), QMessageBox::DestructiveRole);
    cancel_ = box_->addButton(PlainText::forButton(ListsScreenModel::cancelTitle()),
                              QMessageBox::RejectRole);
    retitle();
    box_->setDefaultButton(cancel_);
    box_->setEscapeButton(cancel_);
    connect(box_, &QMessageBox::buttonClicked, this,
            [this](QAbstractButton* button) { clicked(qobject_cast<QPushButton*>(button)); });
    // Closed any other way (the window's close button): nothing is removed.
    connect(box_, &QDialog::finished, this, [this] {
        remove_ = nullptr;
        cancel_ = nullptr;
        if (screen_.isConfirmingRemoval())
            screen_.cancelRemoval();
    });
    MessageAlert::openInFront(box_);
}

void ListRemovalAlert::retitle() {
    box_->setText(screen_.removalTitle());
    box_->setInformativeText(screen_.removalMessage());
    PlainText::apply(*box_);
    remove_->setText(PlainText::forButton(screen_.removalVerb()));
}

void ListRemovalAlert::clicked(QPushButton* button) {
    if (button && button == remove_)
        screen_.confirmRemoval();
    else
        screen_.cancelRemoval();
}
