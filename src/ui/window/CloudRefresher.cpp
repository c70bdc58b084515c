#include "ui/window/CloudRefresher.h"

#include <utility>

CloudRefresher::CloudRefresher(const Clock& clock, std::function<void()> refresh, QObject* parent)
    : QObject(parent), throttle_(clock), refresh_(std::move(refresh)) {
    timer_.setInterval(tickMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &CloudRefresher::tick);
}

void CloudRefresher::start() {
    timer_.start();
}

void CloudRefresher::refreshFromCloudIfDue() {
    if (throttle_.claim())
        refresh_();
}

void CloudRefresher::tick() {
    refreshFromCloudIfDue();
    emit ticked();
}
