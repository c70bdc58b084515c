// The author name of the user's notes on a shared list.
#include "NoteAuthorName.h"

#include "model/NoteAuthor.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"

namespace NoteAuthorName {

Choice choose(const std::optional<Share>& share, const QString& typedName) {
    if (share) {
        if (const std::optional<QString> name = NoteAuthor::formatted(share->currentUser))
            return {*name, QStringLiteral("iCloud provided your name.")};
        if (share->userIsOwner) {
            if (const std::optional<QString> name = NoteAuthor::formatted(share->owner))
                return {*name, QStringLiteral("iCloud provided your name from the list you own.")};
        }
    }
    if (!typedName.isEmpty())
        return {typedName,
                QStringLiteral("iCloud did not provide a name, so the one typed here is used.")};
    return {QString(),
            QStringLiteral("iCloud did not provide a name, and none has been typed here.")};
}

bool listIsShared(const ListStore& store, const QString& listID) {
    const TBList* list = store.findList(listID);
    return list && (list->zoneOwnerName || list->hasShare);
}

void resolve(QPointer<ListStore> store, const ShareLookup& lookup, const QString& listID,
             std::function<void(std::optional<QString>)> done) {
    if (!store)
        return;
    if (!listIsShared(*store, listID)) {
        done(std::nullopt);
        return;
    }
    auto answer = [store, done](const std::optional<Share>& share) {
        if (!store)
            return;
        const Choice choice = choose(share, NoteAuthor::preferredName(store->defaults()));
        store->defaults().setString(diagnosisKey, choice.diagnosis);
        done(choice.name);
    };
    if (!lookup) {
        answer(std::nullopt);
        return;
    }
    lookup(listID, answer);
}

} // namespace NoteAuthorName
