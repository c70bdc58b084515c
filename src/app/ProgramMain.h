#pragma once

#include <functional>

class MainWindow;

// The window program (`tallybird-window`): the window, or any request of the command line.
namespace ProgramMain {

struct Hooks {
    // Called once the window has been shown; the start-up benchmark measures from here.
    std::function<void(MainWindow&)> windowShown;
};

int run(int argc, char* argv[], const Hooks& hooks = {});

} // namespace ProgramMain
