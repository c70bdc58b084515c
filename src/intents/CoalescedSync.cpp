// Sharing sync passes between requests.
#include "intents/CoalescedSync.h"

#include <utility>
#include <vector>

struct CoalescedSync::State : std::enable_shared_from_this<State> {
    IntentFrame::SyncStep pass;
    bool running = false;
    ListStore* store = nullptr;
    std::vector<IntentFrame::SyncDone> waiting; // for the next pass

    void start() {
        running = true;
        std::vector<IntentFrame::SyncDone> served = std::exchange(waiting, {});
        pass(*store, [self = shared_from_this(),
                      served = std::move(served)](const std::optional<QString>& error) {
            for (const IntentFrame::SyncDone& done : served)
                done(error);
            self->running = false;
            if (!self->waiting.empty())
                self->start();
        });
    }
};

CoalescedSync::CoalescedSync(IntentFrame::SyncStep pass) : state_(std::make_shared<State>()) {
    state_->pass = std::move(pass);
}

IntentFrame::SyncStep CoalescedSync::step() const {
    return [state = state_](ListStore& store, IntentFrame::SyncDone done) {
        state->store = &store;
        state->waiting.push_back(std::move(done));
        if (!state->running)
            state->start();
    };
}
