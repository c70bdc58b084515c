#include "UserIdentity.h"

#include "platform/JsonRead.h"

#include "platform/PlatformWording.h"
#include "platform/Unicode.h"

#include <algorithm>

using namespace JsonRead;

QString UserIdentity::report() const {
    if (byScope.empty())
        return PlatformWording::identityUnknown();
    QStringList scopes;
    for (const auto& entry : byScope)
        scopes.append(entry.first);
    std::stable_sort(scopes.begin(), scopes.end(), Unicode::textLess);
    QStringList pieces;
    for (const QString& scope : scopes)
        pieces.append(scope + QStringLiteral(": ") + byScope.at(scope));
    return pieces.join(QStringLiteral(" \u00B7 "));
}

Json UserIdentity::toJson() const {
    Json names = Json::array();
    for (const QString& name : knownRecordNames)
        names.push_back(toUtf8(name));
    Json scopes = Json::object();
    for (const auto& [scope, recordName] : byScope)
        scopes[toUtf8(scope)] = toUtf8(recordName);
    Json json = Json::object();
    json["knownRecordNames"] = std::move(names);
    json["byScope"] = std::move(scopes);
    return json;
}

UserIdentity UserIdentity::fromJson(const Json& element) {
    const Json& object = requireObject(element, "identity");
    UserIdentity identity;
    for (const QString& name : requiredStringArray(object, "knownRecordNames"))
        identity.knownRecordNames.insert(name);
    if (!object.contains("byScope"))
        throw DecodeError("identity: missing \"byScope\"");
    const Json& scopes = requireObject(object.at("byScope"), "identity byScope");
    for (auto it = scopes.begin(); it != scopes.end(); ++it)
        identity.byScope[toQString(it.key())] = asString(it.value(), "identity record name");
    return identity;
}
