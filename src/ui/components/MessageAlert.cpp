// The message alert of the screens.
#include "MessageAlert.h"

#include <QMessageBox>
#include <QPushButton>

QMessageBox* MessageAlert::make(const QString& text, QWidget* parent) {
    auto* box = new QMessageBox(parent);
    box->setWindowModality(Qt::WindowModal);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    QPushButton* ok = box->addButton(QStringLiteral("OK"), QMessageBox::RejectRole);
    // A push button in a dialog is an auto-default one: Return would press it.
    ok->setAutoDefault(false);
    ok->setDefault(false);
    box->setEscapeButton(ok);
    return box;
}
