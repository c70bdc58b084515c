// The author name of the user's notes on a shared list.
#include "NoteAuthorName.h"

#include "model/NoteAuthor.h"
#include "platform/Defaults.h"
#include "platform/PlatformWording.h"
#include "store/ListStore.h"

namespace NoteAuthorName {

Choice choose(const std::optional<Share>& share, const QString& typedName) {
    if (share) {
        if (const std::optional<QString> name = NoteAuthor::formatted(share->currentUser))
            return {*name, PlatformWording::authorNameFromShare()};
        if (share->userIsOwner) {
            if (const std::optional<QString> name = NoteAuthor::formatted(share->owner))
                return {*name, PlatformWording::authorNameFromOwnList()};
        }
    }
    if (!typedName.isEmpty())
        return {typedName, PlatformWording::authorNameTyped()};
    return {QString(), PlatformWording::authorNameMissing()};
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
