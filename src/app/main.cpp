// tallybird: one request from the command line, or the window.
#include "RequestMain.h"
#include "platform/MemoryRelease.h"

int main(int argc, char* argv[]) {
    MemoryRelease::returnLargeBlocksAtOnce();
    return RequestMain::run(argc, argv);
}
