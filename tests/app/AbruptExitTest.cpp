// The guard that ends the process when exit() is called beneath the event loop: armed, its last
// words run before any static object is destroyed, and the process ends with its own status
// without destroying one; disarmed, exit() is untouched. Each case runs in a child process.
#include "AbruptExit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// A static object whose destructor ends the process with status 5: the status tells whether
// exit() went on to destroy the statics. (Ending there also keeps the leak checker, which runs
// after the statics, from judging a process that ends with its application object alive.)
struct Static {
    ~Static() { ::_exit(5); }
};

Static& aStatic() {
    static Static object;
    return object;
}

TEST(AbruptExitDeathTest, ArmedTheLastWordsRunBeforeAnyStaticIsDestroyed) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Row {
        const char* what;
        bool armed;
        int status;
        const char* said;
    };
    const Row rows[] = {
        {"armed: the last words, then the guard's status", true, AbruptExit::status, "last words"},
        {"disarmed: exit() destroys the statics as usual", false, 5, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EXIT(
            {
                // Made before the guard is armed, as Qt's statics are: the runtime destroys
                // it after anything made later, unless the guard ends the process first.
                aStatic();
                AbruptExit::arm([] { std::fputs("last words\n", stderr); });
                if (!row.armed)
                    AbruptExit::disarm();
                std::exit(3);
            },
            testing::ExitedWithCode(row.status), row.said);
    }
}

} // namespace
