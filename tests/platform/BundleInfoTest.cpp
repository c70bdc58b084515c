// The values the build gives the program about itself.
#include "platform/BundleInfo.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(BundleInfo, VersionsArePresentAndTheCommitIsAHashWhenKnown) {
    const BundleInfo& bundle = BundleInfo::main();
    ASSERT_TRUE(bundle.shortVersion);
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(*bundle.shortVersion).hasMatch())
        << bundle.shortVersion->toStdString();
    ASSERT_TRUE(bundle.buildNumber);
    bool whole = false;
    bundle.buildNumber->toLongLong(&whole);
    EXPECT_TRUE(whole) << bundle.buildNumber->toStdString();
    // Absent outside a git checkout; never an empty text.
    if (bundle.commit) {
        EXPECT_TRUE(QRegularExpression("^[0-9a-f]{7,40}$").match(*bundle.commit).hasMatch())
            << bundle.commit->toStdString();
    }
}

} // namespace
