#include "model/ListNavigation.h"
#include "model/SettingsPresentation.h"

#include <gtest/gtest.h>

namespace {

TEST(ListNavigationTest, AnnouncesOnlyRealChangesAndKeepsTheLastRequest) {
    ListNavigation& navigation = ListNavigation::shared();
    EXPECT_EQ(&navigation, &ListNavigation::shared());
    EXPECT_EQ(navigation.requestedListID(), std::nullopt);

    int announcements = 0;
    const auto connection = QObject::connect(&navigation, &ListNavigation::requestedListIDChanged,
                                             [&] { ++announcements; });
    navigation.setRequestedListID(QString("L1"));
    navigation.setRequestedListID(QString("L2"));
    navigation.setRequestedListID(QString("L2"));
    EXPECT_EQ(navigation.requestedListID(), "L2");
    EXPECT_EQ(announcements, 2);

    navigation.setRequestedListID(std::nullopt);
    EXPECT_EQ(navigation.requestedListID(), std::nullopt);
    EXPECT_EQ(announcements, 3);
    QObject::disconnect(connection);
}

TEST(SettingsPresentationTest, AnnouncesOpeningAndClosing) {
    SettingsPresentation& settings = SettingsPresentation::shared();
    EXPECT_EQ(&settings, &SettingsPresentation::shared());
    EXPECT_FALSE(settings.isOpen());

    int announcements = 0;
    const auto connection =
        QObject::connect(&settings, &SettingsPresentation::isOpenChanged, [&] { ++announcements; });
    settings.setOpen(true);
    settings.setOpen(true);
    EXPECT_TRUE(settings.isOpen());
    settings.setOpen(false);
    EXPECT_FALSE(settings.isOpen());
    EXPECT_EQ(announcements, 2);
    QObject::disconnect(connection);
}

} // namespace
