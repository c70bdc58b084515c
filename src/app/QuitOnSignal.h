#pragma once

// Ends the application's event loop on SIGTERM, SIGINT and SIGHUP (the terminal the program was
// started from has closed): the signal handler only writes to a pipe, and the loop does the
// rest. Installed before the program holds anything it must let go of (the store's lock, its
// sockets), so that no signal kills it from then on.
//
// A signal ends every event loop at once, a dialog's too, whatever is on screen: nobody is there
// to answer a question the window would ask before closing ("Quit without saving?"), so none is
// asked, and the program then ends the way it always does, saving what can be saved.
namespace QuitOnSignal {
void install();
// Whether a signal came. One that came before the event loop ran finds no loop to end: the
// caller looks here instead of starting it.
bool received();
} // namespace QuitOnSignal
