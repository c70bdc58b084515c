#pragma once

#include <functional>

// What the window's process does when something beneath its event loop calls exit(): Qt's X11
// plugin does, at once and with the window still up, when the connection to the display breaks
// ("The X11 connection broke ... Did the X11 server die?"). Left alone, exit() would destroy
// every static object while the application object, the window and the store still live: Qt's
// sound and display objects then crash or wait for ever, the store's queued save is never
// written and its lock may be held all the while.
//
// The C++ runtime destroys the calling thread's thread_local objects before any static one, so
// a thread_local guard on the main thread is the first thing exit() runs there. Armed, it runs
// the program's last words (write what is queued, answer what was taken) and ends the process
// with _Exit, which destroys nothing else; the kernel lets go of the store's lock. Main thread
// only: an exit() on another thread is not caught.
namespace AbruptExit {

// The exit status of a process ended this way: exit() does not tell what it was given.
inline constexpr int status = 1;

// From now on, exit() called on this thread runs `lastWords` and ends the process.
void arm(std::function<void()> lastWords);
// exit() behaves as usual again: for the way out the program takes itself.
void disarm();
// Whether the guard is armed on this thread.
bool armed();

} // namespace AbruptExit
