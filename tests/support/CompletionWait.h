// Waits on the event loop for an asynchronous operation's completion callback.
#pragma once

#include "support/TestApplication.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace testsupport {

// Starts the operation with a completion and spins the event loop until that completion is
// called. Returns what the completion was given, or nothing when `guard` passed first: the guard
// only stops a test that would otherwise hang, so make it far longer than the operation takes.
template <typename Result>
std::optional<Result>
waitForCompletion(const std::function<void(std::function<void(Result)>)>& start,
                  std::chrono::milliseconds guard) {
    ensureApplication();
    // Shared with the completion, which may still come after a guard ran out.
    struct State {
        QEventLoop* loop = nullptr;
        std::optional<Result> result;
    };
    auto state = std::make_shared<State>();
    start([state](Result value) {
        if (state->result)
            return;
        state->result.emplace(std::move(value));
        if (state->loop)
            state->loop->quit();
    });
    if (!state->result) {
        QEventLoop loop;
        state->loop = &loop;
        QTimer::singleShot(guard, &loop, &QEventLoop::quit);
        loop.exec();
        state->loop = nullptr;
    }
    return state->result;
}

} // namespace testsupport
