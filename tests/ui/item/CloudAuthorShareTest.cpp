// What the cloud's answer to a share look-up says about the names notes are written under.
#include "ui/item/CloudAuthorShare.h"
#include "detail/DetailTestStore.h"

#include <gtest/gtest.h>

namespace {

cloud::ShareParticipant person(const QString& id, const QString& given,
                               cloud::ParticipantRole role) {
    cloud::ShareParticipant participant;
    participant.userIdentity.userRecordName = id;
    if (!given.isEmpty()) {
        PersonNameComponents names;
        names.givenName = given;
        participant.userIdentity.nameComponents = names;
    }
    participant.role = role;
    return participant;
}

TEST(CloudAuthorShareTest, TheShareGivesTheUsersAndTheOwnersNames) {
    using Role = cloud::ParticipantRole;
    struct Row {
        const char* what;
        QString me;
        QString expectedUser;
        QString expectedOwner;
        bool owner;
    };
    const Row rows[] = {
        {"a participant", "_ann", "Ann", "Bo", false},
        {"the owner without a name of their own", "_bo", "Bo", "Bo", true},
        {"not among the participants", "_zed", "", "Bo", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        cloud::Record record = cloud::Record::zoneWideShare(cloud::ZoneID{"TB-list"});
        record.share()->participants = {person("_bo", "Bo", Role::owner),
                                        person("_ann", "Ann", Role::privateUser)};
        record.share()->currentUserRecordName = row.me;
        const std::optional<NoteAuthorName::Share> share =
            CloudAuthorShare::answer(record, std::nullopt);
        ASSERT_TRUE(share);
        EXPECT_EQ(share->currentUser ? share->currentUser->givenName : QString(), row.expectedUser);
        EXPECT_EQ(share->owner ? share->owner->givenName : QString(), row.expectedOwner);
        EXPECT_EQ(share->userIsOwner, row.owner);
    }
}

TEST(CloudAuthorShareTest, AFailureOrNoShareCountsAsNoShare) {
    EXPECT_FALSE(CloudAuthorShare::answer(std::nullopt, std::nullopt));
    cloud::Record share = cloud::Record::zoneWideShare(cloud::ZoneID{"TB-list"});
    EXPECT_FALSE(CloudAuthorShare::answer(share, CloudSync::ShareError(SharingError::unknownList)));
}

} // namespace

namespace {

TEST(CloudAuthorShareTest, AStoreWithoutItsCloudHalfAnswersAsAFailedLookUp) {
    DetailTestStore t;
    int answers = 0;
    CloudAuthorShare::throughStore (*t.store)("any",
                                              [&](std::optional<NoteAuthorName::Share> share) {
                                                  ++answers;
                                                  EXPECT_FALSE(share);
                                              });
    EXPECT_EQ(answers, 1);
}

} // namespace
