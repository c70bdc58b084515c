#pragma once

#include "CloudSetup.h"
#include "platform/Defaults.h"

#include <QString>

#include <functional>
#include <optional>

// The `tallybird` command. A request runs in this small process, which loads no window
// libraries; a launch that opens the window replaces this process with the window program
// (`tallybird-window`, beside it or in the library folder), so the window keeps the process id
// the caller started. A request to show a list when no window runs starts the window program on
// its own instead (WindowLaunch) and ends once the window shows the list.
namespace RequestMain {

// Runs the program until it is told to quit, with a request to open a list already set when one
// is given; returns the exit code.
using RunProgram =
    std::function<int(Defaults& defaults, const CloudSetup& cloud, const QString& serverName,
                      const std::optional<QString>& requestedListID)>;

// Everything after the application object is made, the same in both programs: help, version,
// the profile, its settings and cloud, then the command line's request or the program.
int execute(const RunProgram& runProgram);

// tallybird's main().
int run(int argc, char* argv[]);

// Whether a window can be opened: a display, or a Qt platform named explicitly.
bool displayAvailable();

// Said when the window is asked for and there is no display.
QString noDisplayMessage();

} // namespace RequestMain
