#include "ReminderService.h"

ReminderService::ReminderService(std::shared_ptr<RemindersUnavailable> scheduler,
                                 Defaults& defaults, QObject* parent)
    : QObject(parent),
      scheduler_(scheduler ? std::move(scheduler) : std::make_shared<RemindersUnavailable>()),
      defaults_(defaults) {}

void ReminderService::setRefusalToExplain(const std::optional<QString>& text) {
    if (text == refusalToExplain_)
        return;
    refusalToExplain_ = text;
    emit refusalToExplainChanged();
}
