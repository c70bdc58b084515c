#pragma once

// Quits the application's event loop cleanly on SIGTERM and SIGINT: the signal handler only
// writes to a pipe, and the loop does the rest. Installed before the program holds anything
// it must let go of (the store's lock, its sockets), so that no signal kills it from then on.
namespace QuitOnSignal {
void install();
// Whether a signal came. One that came before the event loop ran finds no loop to quit: the
// caller looks here instead of starting it.
bool received();
} // namespace QuitOnSignal
