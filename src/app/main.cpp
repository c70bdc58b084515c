// tallybird: one request from the command line, or the window.
#include "RequestMain.h"

int main(int argc, char* argv[]) {
    return RequestMain::run(argc, argv);
}
