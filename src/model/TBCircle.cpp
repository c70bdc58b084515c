#include "TBCircle.h"

#include "platform/JsonRead.h"

using namespace JsonRead;

Json TBCircle::toJson() const {
    Json json = Json::object();
    json["id"] = toUtf8(id);
    json["name"] = toUtf8(name);
    Json people = Json::array();
    for (const TBPerson& person : members)
        people.push_back(person.toJson());
    json["members"] = std::move(people);
    json["order"] = order;
    return json;
}

TBCircle TBCircle::fromJson(const Json& element) {
    const Json& object = requireObject(element, "circle");
    TBCircle circle;
    circle.id = requiredString(object, "id");
    circle.name = requiredString(object, "name");
    if (!object.contains("members"))
        throw DecodeError("circle: missing \"members\"");
    for (const Json& person : requireArray(object.at("members"), "circle members"))
        circle.members.append(TBPerson::fromJson(person));
    circle.order = requiredNumber(object, "order");
    return circle;
}
