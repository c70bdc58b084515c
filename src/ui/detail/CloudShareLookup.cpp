// The list screen's share look-up through the cloud.
#include "CloudShareLookup.h"

#include <QPointer>

#include <algorithm>

namespace CloudShareLookup {

ListDetailModel::ShareAnswer answer(const std::optional<cloud::Record>& share,
                                    const std::optional<CloudSync::ShareError>& error) {
    if (error)
        return {std::nullopt, true};
    if (!share || !share->share())
        return {std::nullopt, false}; // the list has no share
    const std::vector<cloud::ShareParticipant>& people = share->share()->participants;
    const auto others = std::count_if(people.begin(), people.end(), [](const auto& participant) {
        return participant.role != cloud::ParticipantRole::owner;
    });
    return {int(others), false};
}

ListDetailModel::ShareLookup lookup(CloudSync& cloud) {
    QPointer<CloudSync> guard(&cloud);
    return [guard](const QString& listID, std::function<void(ListDetailModel::ShareAnswer)> reply) {
        if (!guard) {
            reply({std::nullopt, true});
            return;
        }
        guard->existingShare(listID, [reply](std::optional<cloud::Record> share,
                                             std::optional<CloudSync::ShareError> error) {
            reply(answer(share, error));
        });
    };
}

ListDetailModel::SharePreparer preparer(CloudSync& cloud) {
    QPointer<CloudSync> guard(&cloud);
    return [guard](const QString& listID, std::function<void(std::optional<QString>)> done) {
        if (!guard) {
            done(errorDescription(SharingError::notAvailableHere));
            return;
        }
        guard->prepareShare(listID, [done](std::optional<cloud::Record>,
                                           std::optional<CloudSync::ShareError> error) {
            if (error)
                done(CloudSync::errorDescription(*error));
            else
                done(std::nullopt);
        });
    };
}

} // namespace CloudShareLookup
