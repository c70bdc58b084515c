#pragma once

#include "ui/window/UpdateCheckMessage.h"

#include <QDialog>
#include <QUrl>

#include <optional>

class QAbstractButton;

// The sheet that tells how a check for updates ended. Everything the feed says is shown as
// plain text; the only thing it can do is open the download page in the browser.
class UpdateDialog : public QDialog {
    Q_OBJECT
public:
    UpdateDialog(const UpdateCheckMessage& message, std::optional<QUrl> download,
                 QWidget* parent = nullptr);

    // Absent when there is no page to open.
    QAbstractButton* openDownloadButton() const { return openDownload_; }

private:
    QAbstractButton* openDownload_ = nullptr;
};
