#include "model/ListNavigation.h"
#include "model/SettingsPresentation.h"

#include <gtest/gtest.h>

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
