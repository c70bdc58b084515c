#pragma once

#include "intents/IntentFrame.h"

#include <memory>

// One store's sync passes shared by the requests that arrive together. A request whose change
// is made while no pass runs starts one; the requests whose changes are made while a pass runs
// wait for the next one, which starts when the running pass ends and serves all of them. Every
// request still awaits a whole pass that began after its change was saved, and a burst of
// requests costs a few passes instead of one each. For the program's one store, on its thread.
class CoalescedSync {
public:
    explicit CoalescedSync(IntentFrame::SyncStep pass);

    // The step to give the requests' frames.
    IntentFrame::SyncStep step() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};
