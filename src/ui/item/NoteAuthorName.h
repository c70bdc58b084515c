#pragma once

#include "platform/PersonNameFormatter.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class ListStore;

// The name the user's notes are written under on a shared list: the user's name as the list's
// share gives it, else the owner's name when the user owns the list, else the name typed for
// notes on this device. Which case applied is kept as a sentence under `diagnosisKey`.
namespace NoteAuthorName {

inline const QString diagnosisKey = QStringLiteral("notes.authorDiagnosis");

// What a list's share says about the user: their name, the owner's name, and whether the user
// is the owner. Absent when the list has no share or the look-up failed.
struct Share {
    std::optional<PersonNameComponents> currentUser;
    std::optional<PersonNameComponents> owner;
    bool userIsOwner = false;
};
// Looks up a list's share and answers once, on the main thread.
using ShareLookup =
    std::function<void(const QString& listID, std::function<void(std::optional<Share>)> reply)>;

struct Choice {
    QString name; // may be empty
    QString diagnosis;
    bool operator==(const Choice&) const = default;
};
// The first case that gives a name wins; `typedName` is the name typed for notes here.
Choice choose(const std::optional<Share>& share, const QString& typedName);

// Whether notes on the list carry an author name: another person's list, or an own list with a
// share. False when no list has the id.
bool listIsShared(const ListStore& store, const QString& listID);

// Resolves the author name for a note on `listID`: on a list that is not shared, `done` gets
// nothing at once (the caller keeps its name). Otherwise the share is looked up (without a
// look-up, or when it fails, as having none), the diagnosis is written into the store's
// settings, and `done` gets the chosen name. Nothing is called once the store is gone.
void resolve(QPointer<ListStore> store, const ShareLookup& lookup, const QString& listID,
             std::function<void(std::optional<QString>)> done);

} // namespace NoteAuthorName
