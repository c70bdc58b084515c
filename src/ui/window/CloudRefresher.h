#pragma once

#include "ui/window/CloudRefreshThrottle.h"

#include <QObject>
#include <QTimer>

#include <functional>

// Keeps the window in step with the cloud: every activation of the program and every tick of a
// ten-second timer asks for a refresh, and the throttle lets at most one start per three
// seconds. Ticks come whether or not the program is active. Each tick is also announced, so the
// lists can be repainted (a day may have ended since the last paint). Main thread only.
class CloudRefresher : public QObject {
    Q_OBJECT
public:
    static constexpr int tickMilliseconds = 10'000;

    // `refresh` starts one sync pass and does not wait for it; its failures are its own.
    CloudRefresher(const Clock& clock, std::function<void()> refresh, QObject* parent = nullptr);

    // Starts the timer; the first activation or tick then starts the first refresh.
    void start();
    void stop() { timer_.stop(); }
    bool isTicking() const { return timer_.isActive(); }

    // The program became the active one.
    void activated() { refreshFromCloudIfDue(); }
    // What each tick of the timer does.
    void tick();
    void refreshFromCloudIfDue();

    const CloudRefreshThrottle& throttle() const { return throttle_; }

signals:
    void ticked();

private:
    CloudRefreshThrottle throttle_;
    std::function<void()> refresh_;
    QTimer timer_;
};
