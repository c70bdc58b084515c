#pragma once

#include <functional>

class MainWindow;
class TallybirdApp;

// The window program (`tallybird-window`): the window, or any request of the command line.
namespace ProgramMain {

struct Hooks {
    // Called once the window has been shown; the start-up benchmark measures from here.
    std::function<void(MainWindow&)> windowShown;
    // Called right after windowShown, with the whole program: tests reach its store here.
    std::function<void(TallybirdApp&)> programShown;
};

int run(int argc, char* argv[], const Hooks& hooks = {});

} // namespace ProgramMain
