#pragma once

#include <QList>
#include <QString>

// The exit status of the `tallybird` command, kept in one place: a script tells by it whether a
// request did what was asked. A request that was not done still says its sentence on standard
// output, as it would be spoken; errors go to standard error.
namespace ExitCode {

enum Code : int {
    ok = 0,           // done as asked; a question answered "no" is done too
    failed = 1,       // anything else that went wrong (a question left without an answer, the
                      // window program that could not start)
    badParameter = 2, // the command line could not be read: an unknown command or option, a
                      // missing text or list, a choice that is not there
    cannotAsk = 3,    // a question came up and nobody is there to answer it: several lists or
                      // items answer to the name, or it asks yes or no
    notFound = 4,     // no list or item answers to the name, or the list is gone
    refused = 5,      // understood and not done: the list is view only, the name is taken, the
                      // item was already ticked off, nothing was caught, the request was refused
    unreachable = 6,  // the store or the window could not be reached: a store file that cannot
                      // be opened or is in use by another process, too busy, or no answer came
    notSaved = 7,     // the change could not be saved, so nothing was changed
};

struct Meaning {
    Code code;
    QString text;
};

// Every code with what it means, in the order of the codes; the help prints them.
QList<Meaning> meanings();

} // namespace ExitCode
