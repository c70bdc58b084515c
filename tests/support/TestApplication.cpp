// The application object shared by every test in one test program.
#include "support/TestApplication.h"

#include <QCoreApplication>

#include <errno.h>

namespace testsupport {

void ensureApplication() {
    if (QCoreApplication::instance())
        return;
    // The program's own name, so that anything derived from the application name stays apart
    // between test programs.
    static int argc = 1;
    static char* argv[] = {program_invocation_name, nullptr};
    new QCoreApplication(argc, argv);
}

} // namespace testsupport
