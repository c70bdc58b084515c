#include "SettingsPresentation.h"

SettingsPresentation& SettingsPresentation::shared() {
    // Lives until the process ends, so no observer outlives it.
    static SettingsPresentation* instance = new SettingsPresentation;
    return *instance;
}

void SettingsPresentation::setOpen(bool open) {
    if (open == isOpen_)
        return;
    isOpen_ = open;
    emit isOpenChanged();
}
