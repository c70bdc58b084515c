// The notice about the store file in the real window, offscreen: the band above the content
// while saving fails, its "Try Again", the settings file set aside, a sync that could not be
// done, and the question before quitting throws changes away.
#include "model/TextScale.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "support/NoUpdates.h"
#include "support/SwitchableSink.h"
#include "ui/components/TextButton.h"
#include "ui/components/TextLabel.h"
#include "ui/lists/ListsPane.h"
#include "ui/lists/PageListView.h"
#include "ui/theme/Theme.h"
#include "ui/window/MainWindow.h"
#include "ui/window/QuitConfirmation.h"
#include "ui/window/StoreNoticeBanner.h"
#include "ui/window/StoreNoticeModel.h"
#include "ui/window/UpdateChecker.h"
#include "ui/window/WindowContent.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class StoreNoticeWindowTest : public testing::Test {
protected:
    void SetUp() override {
        Defaults::setStandard(defaults);
        store = std::make_unique<ListStore>(dir.filePath("store.json"), false, false, *defaults);
        store->setFileSink(sink);
        window = std::make_unique<MainWindow>(*store, updater);
        window->show();
    }
    void TearDown() override {
        window.reset();
        // A window built at a stored text scale sets the whole program's.
        Theme::setTextScaleFactor(1.0);
        Defaults::setStandard(std::make_shared<MemoryDefaults>());
    }

    StoreNoticeBanner* banner() const { return window->findChild<StoreNoticeBanner*>(); }
    QMessageBox* question() const { return window->findChild<QuitConfirmation*>()->question(); }
    QAbstractButton* questionButton(const QString& title) const {
        for (QAbstractButton* button : question()->buttons())
            if (button->text() == title)
                return button;
        ADD_FAILURE() << "no button " << title.toStdString();
        return nullptr;
    }
    void failToSave() {
        sink->failing = true;
        store->addList(QStringLiteral("Groceries"));
        store->flushSaves();
    }

    QTemporaryDir dir;
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
    std::shared_ptr<SwitchableSink> sink = std::make_shared<SwitchableSink>();
    UpdateChecker updater{std::make_shared<NoUpdates>()};
    std::unique_ptr<ListStore> store;
    std::unique_ptr<MainWindow> window;
};

TEST_F(StoreNoticeWindowTest, TheBandShowsAboveTheContentWhileSavingFailsAndGoesOnTryAgain) {
    ASSERT_NE(banner(), nullptr);
    EXPECT_FALSE(banner()->isVisible());

    failToSave();
    ASSERT_TRUE(banner()->isVisible());
    EXPECT_EQ(banner()->titleLabel()->text(), "Your changes are not being saved");
    EXPECT_TRUE(banner()->messageLabel()->text().contains(store->fileURL()));
    EXPECT_EQ(banner()->messageLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(banner()->accessibleName(), "Your changes are not being saved");
    // Across the top of the content, which goes on working beneath it.
    const QPoint bandTop = banner()->mapTo(window.get(), QPoint(0, 0));
    const QPoint contentTop = window->content()->mapTo(window.get(), QPoint(0, 0));
    EXPECT_LT(bandTop.y(), contentTop.y());
    EXPECT_EQ(banner()->width(), window->content()->width());
    EXPECT_TRUE(window->content()->isEnabled());

    TextButton* retry = banner()->tryAgainButton();
    ASSERT_TRUE(retry->isVisible());
    EXPECT_EQ(retry->title(), "Try Again");
    // Still failing: the band stays.
    QTest::mouseClick(retry, Qt::LeftButton);
    store->flushSaves();
    EXPECT_TRUE(banner()->isVisible());
    sink->failing = false;
    QTest::mouseClick(retry, Qt::LeftButton);
    store->flushSaves();
    EXPECT_FALSE(banner()->isVisible());
}

TEST_F(StoreNoticeWindowTest, TheBandOutlivesANewTextScale) {
    failToSave();
    TextScale::store(*defaults, TextScale::largest);
    ASSERT_NE(banner(), nullptr);
    // The new content is shown, and the old one deleted, from the event loop.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->findChildren<StoreNoticeBanner*>().size(), 1);
    EXPECT_TRUE(banner()->isVisible());
    EXPECT_EQ(banner()->titleLabel()->text(), "Your changes are not being saved");
}

TEST_F(StoreNoticeWindowTest, QuittingWhileSavingFailsAsksFirst) {
    QAction* quit = window->action(WindowMenus::Command::quit);
    failToSave();
    quit->trigger();
    EXPECT_TRUE(window->isVisible()) << "closed without asking";
    ASSERT_NE(question(), nullptr);
    EXPECT_TRUE(question()->isVisible());
    EXPECT_EQ(question()->windowModality(), Qt::WindowModal);
    EXPECT_EQ(question()->text(), "Quit without saving?");
    EXPECT_EQ(question()->informativeText(),
              "Your latest changes could not be saved. If you quit now, they are kept in a "
              "separate file instead, which Tallybird names when it next starts.");
    EXPECT_EQ(static_cast<QAbstractButton*>(question()->defaultButton()), questionButton("Cancel"));

    // Asked again while it is open: still one question.
    window->close();
    EXPECT_EQ(window->findChildren<QMessageBox*>().size(), 1);

    QTest::mouseClick(questionButton("Cancel"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(question(), nullptr);

    quit->trigger();
    ASSERT_NE(question(), nullptr);
    QTest::mouseClick(questionButton("Quit Anyway"), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(StoreNoticeWindowTest, TheBandNamesWhereAnUnreadableSettingsFileWasMoved) {
    QTemporaryDir here;
    const QString path = here.filePath(QStringLiteral("defaults.json"));
    QFile broken(path);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("{ \"textScale\": ");
    broken.close();
    auto settings = std::make_shared<FileDefaults>(path);
    Defaults::setStandard(settings);
    ListStore own(here.filePath(QStringLiteral("store.json")), false, false, *settings);
    MainWindow shown(own, updater);
    shown.show();

    auto* band = shown.findChild<StoreNoticeBanner*>();
    ASSERT_NE(band, nullptr);
    ASSERT_TRUE(band->isVisible());
    EXPECT_EQ(band->titleLabel()->text(), "Your settings could not be read");
    const QString said = band->messageLabel()->text();
    const QStringList aside = QDir(here.path()).entryList({"defaults.json.unreadable-*"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(said.contains("“" + here.filePath(aside[0]) + "”")) << said.toStdString();
    EXPECT_EQ(said, settings->unreadableFileNotice());
    EXPECT_FALSE(band->tryAgainButton()->isVisible()) << "nothing to try again";
    EXPECT_TRUE(shown.content()->isEnabled());
}

TEST_F(StoreNoticeWindowTest, QuittingAsksNothingWhenNoRetryCouldSave) {
    struct Row {
        const char* what;
        std::function<void(const QString& storeFile)> arrange;
    };
    const Row rows[] = {
        {"everything saved", [](const QString&) {}},
        {"a folder in place of the store file: its changes are kept aside",
         [](const QString& storeFile) { QDir().mkpath(storeFile); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir here;
        const QString storeFile = here.filePath(QStringLiteral("store.json"));
        row.arrange(storeFile);
        ListStore own(storeFile, false, false, *defaults);
        MainWindow shown(own, updater);
        shown.show();
        own.addList(QStringLiteral("Groceries"));
        own.flushSaves();
        shown.action(WindowMenus::Command::quit)->trigger();
        EXPECT_FALSE(shown.isVisible());
        EXPECT_EQ(shown.findChild<QMessageBox*>(), nullptr);
    }
}

// Told while the lists are in use: the band appears and goes without taking the keyboard from
// where the user is, and a screen reader finds it by its title, with the reason as its
// description.
TEST_F(StoreNoticeWindowTest, TheBandTellsOfASyncThatCouldNotBeDoneWithoutTakingTheKeyboard) {
    store->addList(QStringLiteral("Groceries"));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QWidget* lists = window->content()->sidebar()->rowsView();
    lists->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), lists);

    const QString why = QStringLiteral("The network is unavailable.");
    window->storeNotice().syncEnded(why);
    ASSERT_TRUE(banner()->isVisible());
    EXPECT_EQ(banner()->titleLabel()->text(), "Your lists are not syncing");
    EXPECT_EQ(banner()->messageLabel()->text(), "Tallybird could not sync: " + why);
    EXPECT_EQ(banner()->messageLabel()->textFormat(), Qt::PlainText);
    EXPECT_FALSE(banner()->tryAgainButton()->isVisible()) << "passes try again by themselves";
    EXPECT_EQ(QApplication::focusWidget(), lists) << "the band took the keyboard";
    QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(banner());
    ASSERT_NE(heard, nullptr);
    EXPECT_EQ(heard->text(QAccessible::Name), "Your lists are not syncing");
    EXPECT_EQ(heard->text(QAccessible::Description), "Tallybird could not sync: " + why);
    EXPECT_FALSE(heard->state().invisible);

    window->storeNotice().syncEnded(std::nullopt);
    EXPECT_FALSE(banner()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), lists);
    EXPECT_TRUE(window->content()->isEnabled());
}

} // namespace
