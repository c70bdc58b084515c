#include "intents/ExitCode.h"

namespace ExitCode {

QList<Meaning> meanings() {
    return {
        {ok, QStringLiteral("done as asked (a question answered no included)")},
        {failed, QStringLiteral("something else went wrong")},
        {badParameter, QStringLiteral("the command line could not be read")},
        {cannotAsk, QStringLiteral("a question needs --list-id, --choose, --yes or --no")},
        {notFound, QStringLiteral("no list or item answers to the name")},
        {refused, QStringLiteral("not done: view only, already there or ticked off, nothing "
                                 "caught")},
        {unreachable, QStringLiteral("the store or the window could not be reached")},
        {notSaved, QStringLiteral("the change could not be saved; nothing was changed")},
    };
}

} // namespace ExitCode
