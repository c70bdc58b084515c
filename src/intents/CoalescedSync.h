#pragma once

#include "intents/IntentFrame.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

// One store's sync passes, shared by everyone who asks for one: the requests that arrive
// together, and the program's own triggers. A pass asked for while no pass runs starts at once;
// those asked for while a pass runs wait for the next one, which starts when the running pass
// ends and serves all of them. Every caller still awaits a whole pass that began after it
// asked, passes never queue up behind each other, and a burst costs a few passes instead of
// one each. For the program's one store, on its thread.
class CoalescedSync {
public:
    explicit CoalescedSync(IntentFrame::SyncStep pass);

    // Why a request's pass had not ended when its time ran out, asked at that moment.
    using LateReason = std::function<QString()>;
    // The step to give the requests' frames. With `replyWithinMs`, a request whose pass has not
    // ended by then is told `lateReason()` as its pass's error and hears no more; the pass goes
    // on, and what it sends reaches the cloud all the same.
    IntentFrame::SyncStep step(std::optional<int> replyWithinMs = std::nullopt,
                               LateReason lateReason = {}) const;
    // A pass nobody waits for, sharing the next one like any request.
    void syncNow(ListStore& store) const;

    // No pass starts from now on: every request still waiting, and every one that comes, is
    // told `why` at once. A pass under way is let run, and tells nobody.
    void stop(const QString& why) const;

private:
    struct State;
    std::shared_ptr<State> state_;
};
