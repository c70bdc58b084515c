#include "CloudSharingSheet.h"

QString CloudSharingSheet::title() const {
    return QStringLiteral("Sharing is not available on the Mac yet");
}

QString CloudSharingSheet::message() const {
    return QStringLiteral("Invite people from your iPhone or iPad for now. ") + listName +
           QStringLiteral(" will keep syncing here.");
}
