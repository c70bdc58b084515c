// The About box: its texts, its size at every text scale, and the menu item that opens it.
#include "ui/window/AboutBox.h"
#include "platform/BundleInfo.h"
#include "platform/Defaults.h"
#include "platform/UpdateBackEnd.h"
#include "store/ListStore.h"
#include "support/NoUpdates.h"
#include "support/QStringPrinting.h"
#include "ui/components/TextButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/Theme.h"
#include "ui/window/MainWindow.h"
#include "ui/window/UpdateChecker.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(AboutContent, VersionLineOfWhatTheBuildWasGiven) {
    const struct {
        const char* what;
        BundleInfo bundle;
        const char* version;
    } cases[] = {
        {"everything", {"0.4.1", "57", "1a2b3c4"}, "Version 0.4.1 (57) · 1a2b3c4"},
        {"no commit outside a checkout",
         {"0.4.1", "57", std::nullopt},
         "Version 0.4.1 (57) · unknown"},
        {"nothing", {std::nullopt, std::nullopt, std::nullopt}, "Version — (—) · unknown"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AboutContent::of(c.bundle).version, c.version) << c.what;
    const AboutContent content = AboutContent::of({});
    EXPECT_EQ(content.windowTitle, "About Tallybird");
    EXPECT_EQ(content.name, "Tallybird");
    EXPECT_EQ(content.promise, "Free forever. No account, no ads, nothing collected.");
    EXPECT_EQ(content.privacy,
              "Your lists live in your own cloud container. They are never sent to us.");
}

TEST(AboutBox, EveryLineIsWholeAtEveryTextScale) {
    QWidget window;
    for (const double scale : {0.85, 1.0, 1.5}) {
        SCOPED_TRACE(scale);
        Theme::setTextScaleFactor(scale);
        AboutBox box(AboutContent::of({"0.4.1", "57", "1a2b3c4"}), &window);
        box.setWindowFlags(Qt::Widget); // laid out as shown, without a window manager
        box.show();
        QCoreApplication::processEvents();

        EXPECT_GE(box.width(), int(AboutBox::baseWidth * scale));
        EXPECT_GT(box.width(),
                  QFontMetrics(QApplication::font()).horizontalAdvance(box.windowTitle()) + 100)
            << "room for the title in the title bar";
        const QList<TextLabel*> lines = box.findChildren<TextLabel*>();
        ASSERT_EQ(lines.size(), 4);
        for (TextLabel* line : lines) {
            SCOPED_TRACE(line->text().toStdString());
            EXPECT_GE(line->height(), line->heightForWidth(line->width())) << "not cut below";
            EXPECT_TRUE(box.rect().contains(line->geometry()));
            EXPECT_EQ(line->textFormat(), Qt::PlainText);
        }
        EXPECT_TRUE(box.rect().contains(box.doneButton()->geometry()));
        EXPECT_GE(box.doneButton()->height(), 44);
    }
    Theme::setTextScaleFactor(1.0);
}

TEST(AboutBox, TheMenuItemOpensItOverTheWindowAndDoneClosesIt) {
    auto defaults = std::make_shared<MemoryDefaults>();
    Defaults::setStandard(defaults);
    QTemporaryDir dir;
    ListStore store(dir.filePath("store.json"), false, false, *defaults);
    UpdateChecker updater(std::make_shared<NoUpdates>());
    auto window = std::make_unique<MainWindow>(store, updater);
    window->show();

    window->action(WindowMenus::Command::about)->trigger();
    auto* box = window->findChild<AboutBox*>();
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->windowTitle(), "About Tallybird");
    QTest::mouseClick(box->doneButton(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->findChild<AboutBox*>(), nullptr) << "closed and gone";
    window.reset();
    Defaults::setStandard(nullptr);
}

} // namespace
