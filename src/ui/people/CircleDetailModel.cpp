// One circle's screen: its form, its members and its alert.
#include "CircleDetailModel.h"

#include "platform/PlatformWording.h"
#include "platform/Unicode.h"
#include "store/ListStore.h"
#include "store/StoreChange.h"

CircleDetailModel::CircleDetailModel(ListStore& store, QString circleID, QObject* parent)
    : QObject(parent), store_(store), circleID_(std::move(circleID)) {
    connect(&store_, &ListStore::storeChanged, this, &CircleDetailModel::storeChanged);
    refresh();
}

QString CircleDetailModel::refusedHandle() {
    return PlatformWording::invitationNeedsHandle();
}

QString CircleDetailModel::title() const {
    return title_;
}

void CircleDetailModel::setName(const QString& name) {
    if (name == name_)
        return;
    name_ = name;
    emit changed();
}

void CircleDetailModel::setHandle(const QString& handle) {
    if (handle == handle_)
        return;
    handle_ = handle;
    emit changed();
}

bool CircleDetailModel::canAdd() const {
    // A handle of line breaks alone is as blank as one of spaces: the store would refuse it.
    return !Unicode::trimWhitespaceAndNewlines(handle_).isEmpty();
}

void CircleDetailModel::addPerson() {
    if (!canAdd())
        return;
    if (store_.addPerson(name_, handle_, circleID_)) {
        name_.clear();
        handle_.clear();
    } else {
        problem_ = refusedHandle();
    }
    emit changed();
}

std::optional<QString> CircleDetailModel::memberHeader() const {
    if (members_.isEmpty())
        return std::nullopt;
    return QStringLiteral("IN THIS CIRCLE");
}

void CircleDetailModel::removePerson(const QString& personID) {
    store_.removePerson(personID, circleID_);
}

void CircleDetailModel::dismissProblem() {
    if (!problem_)
        return;
    problem_.reset();
    emit changed();
}

void CircleDetailModel::storeChanged(const StoreChange& change) {
    if (change.circles || change.everything) {
        refresh();
        emit changed();
    }
}

void CircleDetailModel::refresh() {
    const std::optional<TBCircle> circle = store_.circle(circleID_);
    title_ = circle ? circle->name : QStringLiteral("Circle");
    members_.clear();
    if (!circle)
        return;
    for (const TBPerson& person : circle->members) {
        PeopleRow row;
        row.id = person.id;
        row.title = person.displayName();
        row.detail = person.emailAddress.value_or(person.phoneNumber.value_or(QString()));
        row.accessibilityLabel = row.title + QStringLiteral(", ") + row.detail;
        row.actionTitle = QStringLiteral("Remove");
        row.actionLabel = QStringLiteral("Remove ") + row.title;
        members_.append(row);
    }
}
