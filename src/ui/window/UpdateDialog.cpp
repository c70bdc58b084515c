#include "ui/window/UpdateDialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

UpdateDialog::UpdateDialog(const UpdateCheckMessage& message, std::optional<QUrl> download,
                           QWidget* parent)
    : QDialog(parent) {
    setWindowModality(Qt::WindowModal);
    setWindowTitle(message.title);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(message.title);
    auto* text = new QLabel(message.text);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    for (QLabel* label : {title, text}) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    if (!message.notes.isEmpty()) {
        auto* notes = new QPlainTextEdit(message.notes);
        notes->setReadOnly(true);
        layout->addWidget(notes);
    }
    auto* buttons = new QDialogButtonBox;
    QPushButton* close = buttons->addButton(message.closeButton, QDialogButtonBox::RejectRole);
    close->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (!message.openDownloadButton.isEmpty() && download) {
        QPushButton* open =
            buttons->addButton(message.openDownloadButton, QDialogButtonBox::AcceptRole);
        open->setAutoDefault(false);
        openDownload_ = open;
        const QUrl page = *download;
        connect(open, &QPushButton::clicked, this, [this, page] {
            QDesktopServices::openUrl(page);
            accept();
        });
    }
    layout->addWidget(buttons);
}
