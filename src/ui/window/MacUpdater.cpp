#include "ui/window/MacUpdater.h"

#include <utility>

MacUpdater::MacUpdater(std::shared_ptr<UpdateBackEnd> backEnd, QObject* parent)
    : QObject(parent), backEnd_(std::move(backEnd)) {
    connect(backEnd_.get(), &UpdateBackEnd::canCheckForUpdatesChanged, this, &MacUpdater::take,
            Qt::QueuedConnection);
    connect(backEnd_.get(), &UpdateBackEnd::checkFinished, this, &MacUpdater::checkFinished,
            Qt::QueuedConnection);
    backEnd_->start();
}

void MacUpdater::checkForUpdates() {
    backEnd_->checkForUpdates();
}

void MacUpdater::take(bool canCheck) {
    if (canCheck == canCheckForUpdates_)
        return;
    canCheckForUpdates_ = canCheck;
    emit canCheckForUpdatesChanged();
}
