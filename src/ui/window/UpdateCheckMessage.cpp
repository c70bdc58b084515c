#include "ui/window/UpdateCheckMessage.h"

UpdateCheckMessage UpdateCheckMessage::of(const UpdateCheckResult& result,
                                          const QString& currentVersion) {
    UpdateCheckMessage message;
    message.closeButton = QStringLiteral("OK");
    switch (result.kind) {
    case UpdateCheckResult::Kind::upToDate:
        message.title = QStringLiteral("You\u2019re up to date");
        message.text = QStringLiteral("Tallybird %1 is the newest version.").arg(currentVersion);
        break;
    case UpdateCheckResult::Kind::available:
        message.title = QStringLiteral("A new version of Tallybird is available");
        message.text = QStringLiteral("Tallybird %1 is available; you have %2. Install it with "
                                      "your system\u2019s software tools.")
                           .arg(result.version, currentVersion);
        message.notes = result.notes;
        if (result.download)
            message.openDownloadButton = QStringLiteral("Open Download Page");
        message.closeButton = QStringLiteral("Later");
        break;
    case UpdateCheckResult::Kind::failed:
        message.title = QStringLiteral("Tallybird could not check for updates");
        message.text = QStringLiteral("Try again later.");
        break;
    }
    return message;
}
