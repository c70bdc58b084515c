#pragma once

#include <QObject>

#include <functional>

// Runs an action once, at the end of the current event-loop turn, however often it was asked
// for during the turn: a screen model's refresh after a burst of store changes. Nothing runs
// once the owner is gone.
class OncePerTurn {
public:
    OncePerTurn(QObject& owner, std::function<void()> action)
        : owner_(owner), action_(std::move(action)) {}

    void request() {
        if (pending_)
            return;
        pending_ = true;
        QMetaObject::invokeMethod(
            &owner_,
            [this] {
                if (!pending_)
                    return;
                pending_ = false;
                action_();
            },
            Qt::QueuedConnection);
    }
    // The action ran early (a refresh made now): the one asked for is no longer needed.
    void cancel() { pending_ = false; }

private:
    QObject& owner_;
    std::function<void()> action_;
    bool pending_ = false;
};
