// Tallybird: the window, or one request from the command line.
#include "ProgramMain.h"

int main(int argc, char* argv[]) {
    return ProgramMain::run(argc, argv);
}
