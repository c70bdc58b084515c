// The one application object a test program needs for event loops, timers and sockets.
#pragma once

namespace testsupport {

// Creates the application object the first time; it lives until the program ends.
void ensureApplication();

} // namespace testsupport
