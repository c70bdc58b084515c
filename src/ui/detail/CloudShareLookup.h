#pragma once

#include "ListDetailModel.h"
#include "sync/CloudSync.h"

// The list screen's share look-up and share preparation, answered by the cloud half of the
// store. The cloud's answers are turned into what the screen needs: the number of people a
// list is shared with other than its owner, none when the list has no share, or a failure.
namespace CloudShareLookup {

ListDetailModel::ShareAnswer answer(const std::optional<cloud::Record>& share,
                                    const std::optional<CloudSync::ShareError>& error);

// Look-ups and preparations through `cloud`; once it is gone they fail (silently, as any
// failed look-up).
ListDetailModel::ShareLookup lookup(CloudSync& cloud);
ListDetailModel::SharePreparer preparer(CloudSync& cloud);

} // namespace CloudShareLookup
