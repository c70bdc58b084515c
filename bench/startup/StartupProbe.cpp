// The real program, started the way a user starts it, that prints the monotonic clock when its
// window has painted its first frame, and ends there.
#include "MonotonicNow.h"
#include "ProgramMain.h"
#include "ui/window/MainWindow.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    ProgramMain::Hooks hooks;
    hooks.windowShown = [](MainWindow& window) {
        QObject::connect(&window, &MainWindow::firstFramePainted, [] {
            std::printf("%lld\n", monotonicNowNs());
            std::fflush(stdout);
            // Only the start is measured: the launch's sync pass is not waited for.
            std::_Exit(0);
        });
    };
    return ProgramMain::run(argc, argv, hooks);
}
