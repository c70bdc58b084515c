#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Starting the window program on its own for a request that asked it to show a list, the way a
// desktop's launcher starts a program: in a session of its own, its standard input and output
// on /dev/null, so that neither a terminal that closes nor a script reading the request's
// output (`$(tallybird open …)`) is tied to it. Its standard error comes to the request until
// the window shows, so that whatever it says while it starts, and why it could not, reaches
// whoever asked; then the window lets go of it (shown()) and the request ends.
namespace WindowLaunch {

struct Outcome {
    enum class Kind {
        shown,      // the window shows what it was asked to, and runs on
        ended,      // the window program ended before it showed anything: see `exitCode`
        notStarted, // the window program could not be run at all: see `error`
        timedOut,   // nothing was shown in time; the window program was asked to end
    };
    Kind kind = Kind::notStarted;
    // For `ended`: the window program's exit code, or -1 when a signal ended it.
    int exitCode = -1;
    QString error;
};

// Runs `program` (as `name`, the name it is called by) with `arguments`, passing on everything
// it writes on standard error to this process's own, and waits at most `timeoutMs` for it to
// show the window or end.
Outcome start(const QString& program, const QByteArray& name, const QStringList& arguments,
              int timeoutMs);

// In the window program, from the start on: whether a request waits for this window to show.
// It is told so once; the program started by it (if any) is not.
bool awaited();
// In the window program, once the window shows what it was asked to: tells the request that
// waits, if any, and lets go of its standard error (which goes to /dev/null from then on).
void shown();

} // namespace WindowLaunch
