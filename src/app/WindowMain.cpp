// tallybird-window: the window, started by `tallybird` in its own place when a window is asked for.
#include "ProgramMain.h"
#include "platform/MemoryRelease.h"

int main(int argc, char* argv[]) {
    MemoryRelease::returnLargeBlocksAtOnce();
    return ProgramMain::run(argc, argv);
}
