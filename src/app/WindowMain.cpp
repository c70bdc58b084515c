// tallybird-window: the window, started by `tallybird` in its own place when a window is asked for.
#include "ProgramMain.h"

int main(int argc, char* argv[]) {
    return ProgramMain::run(argc, argv);
}
