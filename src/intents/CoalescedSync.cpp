// Sharing sync passes between requests.
#include "intents/CoalescedSync.h"

#include <QTimer>

#include <utility>
#include <vector>

namespace {

// Calls `done` at most once, whichever of the pass and the bound comes first.
IntentFrame::SyncDone once(IntentFrame::SyncDone done) {
    auto pending = std::make_shared<IntentFrame::SyncDone>(std::move(done));
    return [pending](const std::optional<QString>& error) {
        if (const IntentFrame::SyncDone done = std::exchange(*pending, {}))
            done(error);
    };
}

} // namespace

struct CoalescedSync::State : std::enable_shared_from_this<State> {
    IntentFrame::SyncStep pass;
    bool running = false;
    std::optional<QString> stopped; // why no pass starts any more
    ListStore* store = nullptr;
    std::vector<IntentFrame::SyncDone> served;  // by the running pass
    std::vector<IntentFrame::SyncDone> waiting; // for the next pass

    void ask(ListStore& on, IntentFrame::SyncDone done) {
        if (stopped) {
            if (done)
                done(stopped);
            return;
        }
        store = &on;
        if (done)
            waiting.push_back(std::move(done));
        if (!running)
            start();
    }

    void start() {
        running = true;
        served = std::exchange(waiting, {});
        pass(*store, [self = shared_from_this()](const std::optional<QString>& error) {
            self->running = false;
            for (const IntentFrame::SyncDone& done : std::exchange(self->served, {}))
                done(error);
            if (!self->waiting.empty() && !self->stopped)
                self->start();
        });
    }
};

CoalescedSync::CoalescedSync(IntentFrame::SyncStep pass) : state_(std::make_shared<State>()) {
    state_->pass = std::move(pass);
}

IntentFrame::SyncStep CoalescedSync::step(std::optional<int> replyWithinMs,
                                          LateReason lateReason) const {
    return [state = state_, replyWithinMs, lateReason](ListStore& store,
                                                       IntentFrame::SyncDone done) {
        if (!replyWithinMs) {
            state->ask(store, std::move(done));
            return;
        }
        const IntentFrame::SyncDone answer = once(std::move(done));
        // The store is the timer's context: a bound left when the store goes tells nobody.
        QTimer::singleShot(*replyWithinMs, &store, [answer, lateReason] {
            answer(lateReason ? lateReason() : QString());
        });
        state->ask(store, answer);
    };
}

void CoalescedSync::syncNow(ListStore& store) const {
    state_->ask(store, {});
}

void CoalescedSync::stop(const QString& why) const {
    state_->stopped = why;
    std::vector<IntentFrame::SyncDone> told = std::exchange(state_->served, {});
    for (IntentFrame::SyncDone& done : std::exchange(state_->waiting, {}))
        told.push_back(std::move(done));
    for (const IntentFrame::SyncDone& done : told)
        done(why);
}
