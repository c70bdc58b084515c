#include "CloudError.h"

namespace cloud {

namespace {

QString standardMessage(CloudError::Code code) {
    switch (code) {
    case CloudError::Code::internalError:
    case CloudError::Code::limitExceeded:
        return QStringLiteral("The cloud container could not be read or written.");
    case CloudError::Code::networkUnavailable:
        return QStringLiteral("The network is unavailable.");
    case CloudError::Code::notAuthenticated:
        return QStringLiteral("No account is signed in on this device.");
    case CloudError::Code::permissionFailure:
        return QStringLiteral("This account may not make that change.");
    case CloudError::Code::unknownItem:
        return QStringLiteral("The record does not exist.");
    case CloudError::Code::invalidArguments:
        return QStringLiteral("The request was not valid.");
    case CloudError::Code::serverRecordChanged:
        return QStringLiteral("The record was changed on the server.");
    case CloudError::Code::zoneBusy:
        return QStringLiteral("The record zone is being changed elsewhere.");
    case CloudError::Code::zoneNotFound:
        return QStringLiteral("The record zone does not exist.");
    }
    return {};
}

} // namespace

CloudError CloudError::make(Code code, QString detail) {
    CloudError error;
    error.code = code;
    error.message = standardMessage(code);
    if (!detail.isEmpty())
        error.message += QLatin1Char(' ') + detail;
    return error;
}

CloudError CloudError::conflict(Record serverRecord) {
    CloudError error = make(Code::serverRecordChanged);
    error.serverRecord = std::move(serverRecord);
    return error;
}

std::optional<CloudError::Code> CloudError::codeFromRaw(int raw) {
    for (Code code :
         {Code::internalError, Code::networkUnavailable, Code::notAuthenticated,
          Code::permissionFailure, Code::unknownItem, Code::invalidArguments,
          Code::serverRecordChanged, Code::zoneBusy, Code::zoneNotFound, Code::limitExceeded}) {
        if (static_cast<int>(code) == raw)
            return code;
    }
    return std::nullopt;
}

} // namespace cloud
