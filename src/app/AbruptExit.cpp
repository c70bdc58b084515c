// The guard that turns an exit() from beneath the event loop into a clean, quick end.
#include "AbruptExit.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

struct Guard {
    std::function<void()> lastWords;

    ~Guard() {
        if (!lastWords)
            return;
        // Taken first, so that an exit() from inside the last words ends as usual instead of
        // running them again.
        const std::function<void()> words = std::exchange(lastWords, {});
        words();
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(AbruptExit::status);
    }
};

// Made on the thread that arms it, and only there: other threads never touch it, so exit()
// on them finds nothing to run.
thread_local Guard guard;

} // namespace

void AbruptExit::arm(std::function<void()> lastWords) {
    guard.lastWords = std::move(lastWords);
}

void AbruptExit::disarm() {
    guard.lastWords = {};
}

bool AbruptExit::armed() {
    return static_cast<bool>(guard.lastWords);
}
