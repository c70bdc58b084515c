#pragma once

#include <QString>

#include <libpq-fe.h>

namespace cloud {

// The PostgreSQL client library, loaded when a container on a server is first used rather than
// when the program starts: libpq brings a dozen libraries of its own (TLS, Kerberos, LDAP), and
// every request on a container file would otherwise pay for loading them. Only the functions
// the connection calls are looked up; the header gives their types.
#define TALLYBIRD_LIBPQ_FUNCTIONS(X)                                                               \
    X(PQclear)                                                                                     \
    X(PQconnectPoll)                                                                               \
    X(PQconnectStartParams)                                                                        \
    X(PQconninfoFree)                                                                              \
    X(PQconninfoParse)                                                                             \
    X(PQconnectionNeedsPassword)                                                                   \
    X(PQconsumeInput)                                                                              \
    X(PQenterPipelineMode)                                                                         \
    X(PQerrorMessage)                                                                              \
    X(PQescapeIdentifier)                                                                          \
    X(PQfinish)                                                                                    \
    X(PQflush)                                                                                     \
    X(PQfreemem)                                                                                   \
    X(PQgetResult)                                                                                 \
    X(PQgetisnull)                                                                                 \
    X(PQgetlength)                                                                                 \
    X(PQgetvalue)                                                                                  \
    X(PQisBusy)                                                                                    \
    X(PQntuples)                                                                                   \
    X(PQpipelineSync)                                                                              \
    X(PQresultErrorField)                                                                          \
    X(PQresultStatus)                                                                              \
    X(PQsendFlushRequest)                                                                          \
    X(PQsendPrepare)                                                                               \
    X(PQsendQueryParams)                                                                           \
    X(PQsendQueryPrepared)                                                                         \
    X(PQsetErrorVerbosity)                                                                         \
    X(PQsetnonblocking)                                                                            \
    X(PQsocket)                                                                                    \
    X(PQstatus)                                                                                    \
    X(PQtransactionStatus)                                                                         \
    X(PQuser)

struct LibPq {
#define TALLYBIRD_LIBPQ_MEMBER(name) decltype(&::name) name = nullptr;
    TALLYBIRD_LIBPQ_FUNCTIONS(TALLYBIRD_LIBPQ_MEMBER)
#undef TALLYBIRD_LIBPQ_MEMBER

    // The library, loaded at the first call from any thread; null when it cannot be loaded,
    // with `error` (when given) saying which library and why. Loaded once for the life of the
    // process: libpq.so.5 where the dynamic loader finds it, or the file that the environment
    // variable TALLYBIRD_LIBPQ names.
    static const LibPq* get(QString* error = nullptr);
};

} // namespace cloud
