// Circles of people and the names kept for people. Both stay on this device: nothing here is
// marked for sync.
#include "ListStore.h"

#include "platform/Ids.h"
#include "platform/Unicode.h"

#include <algorithm>

TBCircle ListStore::addCircle(const QString& name) {
    if (refusesEdit())
        return {};
    const ChangeScope scope(*this);
    std::optional<double> highest;
    for (const TBCircle& circle : circles_)
        highest = std::max(highest.value_or(circle.order), circle.order);
    TBCircle circle;
    circle.id = Ids::newId();
    circle.name = Unicode::trimWhitespaceAndNewlines(name);
    circle.order = highest ? *highest + 1 : 0;
    circles_.append(circle);
    noteCircles();
    persist();
    return circle;
}

void ListStore::deleteCircle(const QString& circleID) {
    if (refusesEdit())
        return;
    const ChangeScope scope(*this);
    if (circles_.removeIf([&](const TBCircle& circle) { return circle.id == circleID; }) > 0)
        noteCircles();
    persist();
}

std::optional<TBCircle> ListStore::circle(const QString& circleID) const {
    for (const TBCircle& circle : circles_) {
        if (circle.id == circleID)
            return circle;
    }
    return std::nullopt;
}

std::optional<TBPerson> ListStore::addPerson(const QString& name, const QString& handle,
                                             const QString& circleID) {
    if (refusesEdit())
        return std::nullopt;
    const auto found = std::find_if(circles_.begin(), circles_.end(),
                                    [&](const TBCircle& circle) { return circle.id == circleID; });
    if (found == circles_.end())
        return std::nullopt;
    const std::optional<TBPerson> person = TBPerson::make(Ids::newId(), name, handle);
    if (!person)
        return std::nullopt;
    const auto key = [](const TBPerson& p) {
        return p.emailAddress.value_or(p.phoneNumber.value_or(QString()));
    };
    for (const TBPerson& member : found->members) {
        if (key(member) == key(*person))
            return member;
    }
    const ChangeScope scope(*this);
    found->members.append(*person);
    noteCircles();
    persist();
    return person;
}

void ListStore::removePerson(const QString& personID, const QString& circleID) {
    if (refusesEdit())
        return;
    const auto found = std::find_if(circles_.begin(), circles_.end(),
                                    [&](const TBCircle& circle) { return circle.id == circleID; });
    if (found == circles_.end())
        return;
    const ChangeScope scope(*this);
    if (found->members.removeIf([&](const TBPerson& member) { return member.id == personID; }) > 0)
        noteCircles();
    persist();
}

std::optional<PersonAlias> ListStore::alias(const QString& personID) const {
    const auto found = aliases_.find(personID);
    if (found == aliases_.end())
        return std::nullopt;
    return *found;
}

void ListStore::setAlias(const PersonAlias& alias) {
    if (refusesEdit())
        return;
    if (alias.personID.isEmpty())
        return;
    const ChangeScope scope(*this);
    const std::optional<PersonAlias> before = this->alias(alias.personID);
    if (alias.isEmpty())
        aliases_.remove(alias.personID);
    else
        aliases_.insert(alias.personID, alias);
    if (this->alias(alias.personID) != before)
        noteAliases();
    persist();
}
