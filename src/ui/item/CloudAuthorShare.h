#pragma once

#include "NoteAuthorName.h"
#include "sync/CloudSync.h"

// The item editor's share look-up for the author name of notes, answered by the cloud half of
// the store: the user's and the owner's names as the list's share gives them.
namespace CloudAuthorShare {

// What a look-up's result says; nothing for a failure or a list without a share.
std::optional<NoteAuthorName::Share> answer(const std::optional<cloud::Record>& share,
                                            const std::optional<CloudSync::ShareError>& error);

// Look-ups through `cloud`; once it is gone they answer as a failed look-up.
NoteAuthorName::ShareLookup lookup(CloudSync& cloud);
// Look-ups through the cloud half attached to `store`, looked for at each look-up (it may be
// attached after the editor is made); without one they answer as a failed look-up.
NoteAuthorName::ShareLookup throughStore(ListStore& store);

} // namespace CloudAuthorShare
