// Looking up the shares of lists.
#include "CloudSync.h"

#include "ListCloudMapping.h"

#include <QPointer>

using namespace cloud;
namespace Mapping = ListCloudMapping;

void CloudSync::refreshShareFlags(std::function<void()> done) {
    const auto finish = [done] {
        if (done)
            done();
    };
    if (!store_.cloudSync())
        return finish();
    std::vector<RecordID> ids;
    for (const TBList& list : store_.lists()) {
        if (!list.zoneOwnerName)
            ids.push_back(RecordID{zoneWideShareName, ZoneID{CloudLayout::listZoneName(list.id),
                                                             currentUserDefaultName}});
    }
    if (ids.empty())
        return finish();
    QPointer<CloudSync> self(this);
    shareRecordLookup_(ids, [self, finish](Result<RecordResults> results) {
        if (self && results.ok()) {
            for (const auto& [id, result] : results.value()) {
                const auto listID = Mapping::listID(id.zoneID);
                if (listID && result.ok())
                    self->store_.setHasShare(*listID);
            }
        }
        finish();
    });
}

void CloudSync::existingShare(const QString& listID, ShareDone done) {
    const TBList* list = store_.findList(listID);
    if (!list) {
        done(std::nullopt, SharingError::unknownList);
        return;
    }
    if (!device_) {
        done(std::nullopt, *unreachable_);
        return;
    }
    const ZoneID zone{CloudLayout::listZoneName(listID),
                      list->zoneOwnerName.value_or(currentUserDefaultName)};
    const Database database =
        list->zoneOwnerName ? device_->sharedCloudDatabase() : device_->privateCloudDatabase();
    QPointer<CloudSync> self(this);
    database.fetchRecord(RecordID{zoneWideShareName, zone}, this,
                         [self, listID, done](Result<Record> result) {
                             if (!result.ok()) {
                                 // No share at all is an answer, not a failure.
                                 if (result.error().code == CloudError::Code::unknownItem)
                                     done(std::nullopt, std::nullopt);
                                 else
                                     done(std::nullopt, result.error());
                                 return;
                             }
                             if (!result.value().isShare()) {
                                 done(std::nullopt, std::nullopt);
                                 return;
                             }
                             if (self)
                                 self->store_.setHasShare(listID);
                             done(result.value(), std::nullopt);
                         });
}

void CloudSync::prepareShare(const QString&, ShareDone done) {
    done(std::nullopt, SharingError::notAvailableHere);
}

QString CloudSync::errorDescription(const ShareError& error) {
    if (const auto* sharing = std::get_if<SharingError>(&error))
        return ::errorDescription(*sharing);
    return std::get<CloudError>(error).message;
}
