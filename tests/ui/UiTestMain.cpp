// The test runner of the screens: widgets need a QApplication, on the offscreen platform so no
// display server is involved.
#include "support/ManualMonotonicClock.h"
#include "support/RecordingSoundOutput.h"
#include "ui/sound/SoundEffectPlayer.h"
#include "ui/theme/Theme.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

// The text scale is the whole program's and a window sets it from its settings: every test starts
// at the standard one, whatever the test before it left.
class StandardTextScaleAtEachTest final : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { Theme::setTextScaleFactor(1.0); }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // No desktop session either: the appearance must come out light without one.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tallybird-test-bus");
    QApplication app(argc, argv);
    Theme::applyToApplication();
    // Screens play their sounds into a recorder: no test needs a sound device.
    SoundEffectPlayer::setShared(std::make_unique<SoundEffectPlayer>(
        std::make_shared<ManualMonotonicClock>(), std::make_shared<RecordingSoundOutput>()));
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new StandardTextScaleAtEachTest);
    return RUN_ALL_TESTS();
}
