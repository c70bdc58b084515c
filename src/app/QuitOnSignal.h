#pragma once

// Quits the application's event loop cleanly on SIGTERM and SIGINT: the signal handler only
// writes to a pipe, and the loop does the rest.
namespace QuitOnSignal {
void install();
} // namespace QuitOnSignal
