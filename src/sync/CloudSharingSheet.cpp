#include "CloudSharingSheet.h"
#include "platform/PlatformWording.h"

QString CloudSharingSheet::title() const {
    return PlatformWording::sharingUnavailableTitle();
}

QString CloudSharingSheet::message() const {
    return PlatformWording::sharingUnavailableMessage(listName);
}
