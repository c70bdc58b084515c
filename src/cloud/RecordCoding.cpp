#include "RecordCoding.h"

#include <cmath>
#include <limits>

namespace cloud {

namespace {

// JSON has no NaN or infinity, so those doubles travel as text instead of being lost.
Json fromDouble(double value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    return value;
}

std::optional<double> toDouble(const Json& value) {
    if (value.is_number_float() || value.is_number_integer())
        return value.get<double>();
    if (value.is_string()) {
        const auto text = value.get<std::string>();
        if (text == "nan")
            return std::numeric_limits<double>::quiet_NaN();
        if (text == "inf")
            return std::numeric_limits<double>::infinity();
        if (text == "-inf")
            return -std::numeric_limits<double>::infinity();
    }
    return std::nullopt;
}

Json fieldToJson(const FieldValue& value) {
    Json json = Json::object();
    if (const auto* text = std::get_if<QString>(&value))
        json["text"] = utf8(*text);
    else if (const auto* integer = std::get_if<qint64>(&value))
        json["int"] = static_cast<std::int64_t>(*integer);
    else if (const auto* number = std::get_if<double>(&value))
        json["double"] = fromDouble(*number);
    else if (const auto* date = std::get_if<Date>(&value))
        json["date"] = fromDouble(date->secondsSinceReferenceDate());
    return json;
}

std::optional<FieldValue> fieldFromJson(const Json& json) {
    if (!json.is_object() || json.size() != 1)
        return std::nullopt;
    const auto first = json.begin();
    const std::string kind = first.key();
    const Json& value = first.value();
    if (kind == "text" && value.is_string())
        return FieldValue(fromUtf8(value.get<std::string>()));
    if (kind == "int" && value.is_number_integer()) {
        if (value.is_number_unsigned() &&
            value.get<std::uint64_t>() > std::uint64_t(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return FieldValue(qint64(value.get<std::int64_t>()));
    }
    if (kind == "double") {
        if (auto number = toDouble(value))
            return FieldValue(*number);
    }
    if (kind == "date") {
        if (auto seconds = toDouble(value))
            return FieldValue(Date(*seconds));
    }
    return std::nullopt;
}

std::optional<QString> stringAt(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string())
        return std::nullopt;
    return fromUtf8(it->get<std::string>());
}

} // namespace

Json RecordCoding::toJson(const PersonNameComponents& name) {
    Json json = Json::object();
    const std::pair<const char*, const QString*> parts[] = {
        {"namePrefix", &name.namePrefix}, {"givenName", &name.givenName},
        {"middleName", &name.middleName}, {"familyName", &name.familyName},
        {"nameSuffix", &name.nameSuffix}, {"nickname", &name.nickname}};
    for (const auto& [key, value] : parts) {
        if (!value->isEmpty())
            json[key] = utf8(*value);
    }
    return json;
}

std::optional<PersonNameComponents> RecordCoding::namesFromJson(const Json& json) {
    if (!json.is_object())
        return std::nullopt;
    PersonNameComponents name;
    const std::pair<const char*, QString*> parts[] = {
        {"namePrefix", &name.namePrefix}, {"givenName", &name.givenName},
        {"middleName", &name.middleName}, {"familyName", &name.familyName},
        {"nameSuffix", &name.nameSuffix}, {"nickname", &name.nickname}};
    for (const auto& [key, target] : parts) {
        auto it = json.find(key);
        if (it == json.end())
            continue;
        if (!it->is_string())
            return std::nullopt;
        *target = fromUtf8(it->get<std::string>());
    }
    return name;
}

namespace {

std::optional<ShareParticipant> participantFromJson(const Json& json) {
    if (!json.is_object())
        return std::nullopt;
    auto user = stringAt(json, "user");
    auto role = stringAt(json, "role");
    auto permission = stringAt(json, "permission");
    auto acceptance = stringAt(json, "acceptance");
    if (!user || !role || !permission || !acceptance)
        return std::nullopt;
    ShareParticipant participant;
    participant.userIdentity.userRecordName = *user;
    auto parsedRole = participantRoleFromRaw(*role);
    auto parsedPermission = participantPermissionFromRaw(*permission);
    auto parsedAcceptance = acceptanceStatusFromRaw(*acceptance);
    if (!parsedRole || !parsedPermission || !parsedAcceptance)
        return std::nullopt;
    participant.role = *parsedRole;
    participant.permission = *parsedPermission;
    participant.acceptanceStatus = *parsedAcceptance;
    if (auto it = json.find("name"); it != json.end()) {
        auto name = RecordCoding::namesFromJson(*it);
        if (!name)
            return std::nullopt;
        participant.userIdentity.nameComponents = *name;
    }
    return participant;
}

} // namespace

Json RecordCoding::toJson(const Share& share) {
    Json participants = Json::array();
    for (const auto& p : share.participants) {
        Json json = Json::object();
        json["user"] = utf8(p.userIdentity.userRecordName);
        if (p.userIdentity.nameComponents)
            json["name"] = toJson(*p.userIdentity.nameComponents);
        json["role"] = utf8(rawValue(p.role));
        json["permission"] = utf8(rawValue(p.permission));
        json["acceptance"] = utf8(rawValue(p.acceptanceStatus));
        participants.push_back(std::move(json));
    }
    Json json = Json::object();
    json["participants"] = std::move(participants);
    if (share.currentUserRecordName)
        json["currentUser"] = utf8(*share.currentUserRecordName);
    return json;
}

std::optional<Share> RecordCoding::shareFromJson(const Json& json) {
    if (!json.is_object())
        return std::nullopt;
    Share share;
    auto list = json.find("participants");
    if (list == json.end() || !list->is_array())
        return std::nullopt;
    for (const auto& element : *list) {
        auto participant = participantFromJson(element);
        if (!participant)
            return std::nullopt;
        share.participants.push_back(std::move(*participant));
    }
    if (json.contains("currentUser")) {
        share.currentUserRecordName = stringAt(json, "currentUser");
        if (!share.currentUserRecordName)
            return std::nullopt;
    }
    return share;
}

Json RecordCoding::toJson(const Record& record) {
    Json json = Json::object();
    json["type"] = utf8(record.recordType());
    json["name"] = utf8(record.recordID().recordName);
    json["zone"] = utf8(record.recordID().zoneID.zoneName);
    json["owner"] = utf8(record.recordID().zoneID.ownerName);
    if (record.changeTag())
        json["changeTag"] = utf8(*record.changeTag());
    Json fields = Json::object();
    for (const auto& [key, value] : record.fields())
        fields[utf8(key)] = fieldToJson(value);
    json["fields"] = std::move(fields);
    if (const Share* share = record.share())
        json["share"] = toJson(*share);
    return json;
}

QByteArray RecordCoding::encode(const Record& record) {
    return QByteArray::fromStdString(toJson(record).dump());
}

std::optional<Record> RecordCoding::fromJson(const Json& json) {
    if (!json.is_object())
        return std::nullopt;
    auto type = stringAt(json, "type");
    auto name = stringAt(json, "name");
    auto zone = stringAt(json, "zone");
    auto owner = stringAt(json, "owner");
    if (!type || !name || !zone || !owner || type->isEmpty() || name->isEmpty() ||
        zone->isEmpty() || owner->isEmpty())
        return std::nullopt;
    Record record(*type, RecordID{*name, ZoneID{*zone, *owner}});
    if (json.contains("changeTag")) {
        auto tag = stringAt(json, "changeTag");
        if (!tag)
            return std::nullopt;
        record.setChangeTag(*tag);
    }
    auto fields = json.find("fields");
    if (fields == json.end() || !fields->is_object())
        return std::nullopt;
    for (const auto& [key, value] : fields->items()) {
        auto field = fieldFromJson(value);
        if (!field)
            return std::nullopt;
        record.set(fromUtf8(key), std::move(*field));
    }
    auto share = json.find("share");
    if (record.isShare()) {
        if (share != json.end()) {
            auto decoded = shareFromJson(*share);
            if (!decoded)
                return std::nullopt;
            *record.share() = std::move(*decoded);
        }
    } else if (share != json.end()) {
        return std::nullopt;
    }
    return record;
}

std::optional<Record> RecordCoding::decode(const QByteArray& bytes) {
    try {
        return fromJson(JsonRead::parse(bytes));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace cloud
