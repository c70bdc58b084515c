#include "ui/window/UpdateChecker.h"

#include <utility>

UpdateChecker::UpdateChecker(std::shared_ptr<UpdateBackEnd> backEnd, QObject* parent)
    : QObject(parent), backEnd_(std::move(backEnd)) {
    connect(backEnd_.get(), &UpdateBackEnd::canCheckForUpdatesChanged, this, &UpdateChecker::take,
            Qt::QueuedConnection);
    connect(backEnd_.get(), &UpdateBackEnd::checkFinished, this, &UpdateChecker::checkFinished,
            Qt::QueuedConnection);
    backEnd_->start();
}

void UpdateChecker::checkForUpdates() {
    backEnd_->checkForUpdates();
}

void UpdateChecker::take(bool canCheck) {
    if (canCheck == canCheckForUpdates_)
        return;
    canCheckForUpdates_ = canCheck;
    emit canCheckForUpdatesChanged();
}
