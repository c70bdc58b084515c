// The application object's tests run with a QApplication on the offscreen platform, so no
// display server is involved, themed as the program themes it.
#include "ui/theme/Theme.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Theme::applyToApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
