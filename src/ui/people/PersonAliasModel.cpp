// The person name sheet's state, texts and save.
#include "PersonAliasModel.h"

#include "platform/Unicode.h"
#include "store/ListStore.h"

PersonAliasModel::PersonAliasModel(ListStore& store, QString personID, QString storedName,
                                   QObject* parent)
    : QObject(parent), store_(store), personID_(std::move(personID)),
      storedName_(std::move(storedName)) {
    if (const std::optional<PersonAlias> kept = store_.alias(personID_)) {
        alias_ = kept->alias.value_or(QString());
        photo_ = kept->photo;
        linkedName_ = kept->linkedName;
        handles_ = kept->handles;
        started_ = true;
    }
}

QString PersonAliasModel::privacyNote() {
    return QStringLiteral(
        "Only on this device. They are never told, and nothing is sent anywhere.");
}

void PersonAliasModel::createProfile() {
    if (started_)
        return;
    started_ = true;
    emit changed();
}

void PersonAliasModel::setAlias(const QString& alias) {
    if (alias == alias_)
        return;
    alias_ = alias;
    emit changed();
}

QString PersonAliasModel::placeholder() const {
    return storedName_.isEmpty() ? QStringLiteral("Name") : storedName_;
}

bool PersonAliasModel::showsUseTheirName() const {
    // A nickname of line breaks alone is as blank as one of spaces: it names no one.
    return !storedName_.isEmpty() && !Unicode::trimWhitespaceAndNewlines(alias_).isEmpty();
}

void PersonAliasModel::useTheirName() {
    setAlias(QString());
}

void PersonAliasModel::removePhoto() {
    if (!photo_)
        return;
    photo_.reset();
    emit changed();
}

QString PersonAliasModel::photoNote() const {
    if (linkedName_)
        return QStringLiteral("Copied from ") + *linkedName_ +
               QStringLiteral(" when you linked. If their photo changes, this one does not — link "
                              "again to refresh it.");
    return QStringLiteral("A copy is kept here.");
}

PersonAlias PersonAliasModel::draft() const {
    return PersonAlias{personID_, alias_, photo_, linkedName_, handles_};
}

PersonDisplay::Resolved PersonAliasModel::resolved() const {
    return PersonDisplay::resolve(storedName_, draft());
}

QString PersonAliasModel::headingName() const {
    return resolved().name.value_or(QStringLiteral("Someone else"));
}

std::optional<QString> PersonAliasModel::headingNote() const {
    if (resolved().source != PersonDisplay::Source::alias || storedName_.isEmpty())
        return std::nullopt;
    return QStringLiteral("They call themselves ") + storedName_;
}

QString PersonAliasModel::headingLabel() const {
    const std::optional<QString> note = headingNote();
    return note ? headingName() + QStringLiteral(", ") + *note : headingName();
}

void PersonAliasModel::save() {
    store_.setAlias(draft());
}
