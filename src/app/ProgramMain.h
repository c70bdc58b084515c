#pragma once

#include <functional>

class MainWindow;

// The whole program behind main(): the command line's requests, or the window.
namespace ProgramMain {

struct Hooks {
    // Called once the window has been shown; the start-up benchmark measures from here.
    std::function<void(MainWindow&)> windowShown;
};

int run(int argc, char* argv[], const Hooks& hooks = {});

// Whether a window can be opened: a display, or a Qt platform named explicitly.
bool displayAvailable();

} // namespace ProgramMain
