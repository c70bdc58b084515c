#include "model/ListNavigation.h"
#include "model/SettingsPresentation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ListNavigationTest, AnnouncesOnlyRealChangesAndKeepsTheLastRequest) {
    ListNavigation& navigation = ListNavigation::shared();
    int announcements = 0;
    const auto connection = QObject::connect(&navigation, &ListNavigation::requestedListIDChanged,
                                             [&] { ++announcements; });
    navigation.setRequestedListID(QString("L1"));
    navigation.setRequestedListID(QString("L2"));
    navigation.setRequestedListID(QString("L2"));
    EXPECT_EQ(ListNavigation::shared().requestedListID(), "L2");
    EXPECT_EQ(announcements, 2);
    navigation.setRequestedListID(std::nullopt);
    EXPECT_EQ(navigation.requestedListID(), std::nullopt);
    EXPECT_EQ(announcements, 3);
    QObject::disconnect(connection);
}

TEST(ListNavigationTest, ClaimClearsTheRequestAndOpensOnlyAnExistingList) {
    const struct {
        const char* what;
        std::vector<QString> requests; // in the order they were made, before the claim
        QStringList listIDs;           // the lists in display order
        std::optional<QString> opened;
    } cases[] = {
        {"no request", {}, {"a", "b"}, std::nullopt},
        {"a request for a list", {"b"}, {"a", "b"}, "b"},
        {"a request for a deleted list is dropped", {"gone"}, {"a", "b"}, std::nullopt},
        {"ids are compared exactly", {"B"}, {"a", "b"}, std::nullopt},
        {"the later of two requests wins", {"a", "b"}, {"a", "b"}, "b"},
        {"no lists at all", {"a"}, {}, std::nullopt},
    };
    ListNavigation& navigation = ListNavigation::shared();
    for (const auto& c : cases) {
        for (const QString& id : c.requests)
            navigation.setRequestedListID(id);
        int asked = 0;
        const std::optional<QString> opened = navigation.claimAnyPendingList([&] {
            ++asked;
            QList<TBList> lists;
            for (const QString& id : c.listIDs) {
                lists.append(TBList());
                lists.last().id = id;
            }
            return lists;
        });
        EXPECT_EQ(opened, c.opened) << c.what;
        EXPECT_EQ(navigation.requestedListID(), std::nullopt) << c.what;
        // The sorted lists are rebuilt only for a request.
        EXPECT_EQ(asked, c.requests.empty() ? 0 : 1) << c.what;
    }
}

TEST(SettingsPresentationTest, AnnouncesOpeningAndClosing) {
    SettingsPresentation& settings = SettingsPresentation::shared();
    EXPECT_FALSE(settings.isOpen());
    int announcements = 0;
    const auto connection =
        QObject::connect(&settings, &SettingsPresentation::isOpenChanged, [&] { ++announcements; });
    settings.setOpen(true);
    settings.setOpen(true);
    EXPECT_TRUE(SettingsPresentation::shared().isOpen());
    settings.setOpen(false);
    EXPECT_FALSE(settings.isOpen());
    EXPECT_EQ(announcements, 2);
    QObject::disconnect(connection);
}

} // namespace
