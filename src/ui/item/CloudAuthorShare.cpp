// The author name's share look-up through the cloud.
#include "CloudAuthorShare.h"

#include <QPointer>

namespace CloudAuthorShare {

std::optional<NoteAuthorName::Share> answer(const std::optional<cloud::Record>& share,
                                            const std::optional<CloudSync::ShareError>& error) {
    if (error || !share || !share->share())
        return std::nullopt;
    const cloud::Share& people = *share->share();
    const cloud::ShareParticipant* me = people.currentUserParticipant();
    const cloud::ShareParticipant* owner = people.owner();
    NoteAuthorName::Share found;
    if (me)
        found.currentUser = me->userIdentity.nameComponents;
    if (owner)
        found.owner = owner->userIdentity.nameComponents;
    found.userIsOwner = me && me->role == cloud::ParticipantRole::owner;
    return found;
}

NoteAuthorName::ShareLookup lookup(CloudSync& cloud) {
    QPointer<CloudSync> guard(&cloud);
    return [guard](const QString& listID,
                   std::function<void(std::optional<NoteAuthorName::Share>)> reply) {
        if (!guard) {
            reply(std::nullopt);
            return;
        }
        guard->existingShare(listID, [reply](std::optional<cloud::Record> share,
                                             std::optional<CloudSync::ShareError> error) {
            reply(answer(share, error));
        });
    };
}

NoteAuthorName::ShareLookup throughStore(ListStore& store) {
    QPointer<ListStore> owner(&store);
    return [owner](const QString& listID,
                   std::function<void(std::optional<NoteAuthorName::Share>)> reply) {
        CloudSync* cloud = owner ? owner->findChild<CloudSync*>() : nullptr;
        if (!cloud) {
            reply(std::nullopt);
            return;
        }
        lookup (*cloud)(listID, std::move(reply));
    };
}

} // namespace CloudAuthorShare
