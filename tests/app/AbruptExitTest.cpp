// The guard that ends the process when exit() is called beneath the event loop: armed, its last
// words run before any static object is destroyed, and the process ends with its own status
// without destroying one; disarmed, exit() is untouched. Each case runs in a child process.
#include "AbruptExit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// A static object that says when it is destroyed and ends the process there with status 7,
// as a static whose destructor crashes would end it.
struct Static {
    bool endsProcess = false;
    ~Static() {
        if (endsProcess)
            ::_exit(7);
    }
};

Static& aStatic() {
    static Static object;
    return object;
}

TEST(AbruptExitDeathTest, ArmedTheLastWordsRunFirstAndNoStaticIsDestroyed) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Row {
        const char* what;
        bool armed;
        int status;
        const char* said;
    };
    const Row rows[] = {
        {"armed", true, AbruptExit::status, "last words"},
        {"armed, then disarmed", false, 3, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EXIT(
            {
                // Made before the guard is armed, as Qt's statics are: the runtime destroys
                // it after anything made later, unless the guard runs first.
                aStatic().endsProcess = row.armed;
                AbruptExit::arm([] { std::fputs("last words\n", stderr); });
                if (!row.armed)
                    AbruptExit::disarm();
                std::exit(3);
            },
            testing::ExitedWithCode(row.status), row.said);
    }
}

} // namespace
