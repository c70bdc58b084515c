#pragma once

#include "Record.h"

#include <QString>

#include <optional>

namespace cloud {

// An error from the container, with the numeric code callers compare against and, for a
// conflict, the record the server holds.
struct CloudError {
    enum class Code {
        internalError = 1,
        networkUnavailable = 3,
        notAuthenticated = 9,
        permissionFailure = 10,
        unknownItem = 11,
        invalidArguments = 12,
        serverRecordChanged = 14,
        zoneBusy = 23, // somebody else holds the zone just now: the change goes with a later send
        zoneNotFound = 26,
        // the container cut the call short at its bound and kept none of it: a call of fewer
        // changes may go through
        limitExceeded = 27,
    };

    Code code = Code::internalError;
    QString message;
    std::optional<Record> serverRecord;
    // The call's answer was lost after the container was asked to commit it (a connection that
    // broke during the commit): what it changed may be there or not. With any other error from
    // the container, nothing the call was asked to change was changed.
    bool answerLost = false;

    int rawCode() const { return static_cast<int>(code); }

    // An error with the usual message for its code.
    static CloudError make(Code code, QString detail = {});
    static CloudError conflict(Record serverRecord);
    // The code for a raw number, when it is one the container knows.
    static std::optional<Code> codeFromRaw(int raw);
};

} // namespace cloud
