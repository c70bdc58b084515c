// The update checker behind "Check for Updates…": its published value starts false and follows
// the back end on the main loop; checks go to the back end.
#include "ui/window/UpdateChecker.h"
#include "ui/window/UpdateCheckMessage.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {

class FakeBackEnd final : public UpdateBackEnd {
public:
    void start() override {
        ++starts;
        emit canCheckForUpdatesChanged(can);
    }
    bool canCheckForUpdates() const override { return can; }
    void checkForUpdates() override { ++checks; }
    void report(bool value) {
        can = value;
        emit canCheckForUpdatesChanged(can);
    }
    bool can = true;
    int starts = 0;
    int checks = 0;
};

TEST(UpdateChecker, StartsFalseThenFollowsEveryReportedValueOnTheMainLoop) {
    auto backEnd = std::make_shared<FakeBackEnd>();
    UpdateChecker updater(backEnd);
    EXPECT_EQ(backEnd->starts, 1) << "creating it starts the back end";
    QSignalSpy changes(&updater, &UpdateChecker::canCheckForUpdatesChanged);
    EXPECT_FALSE(updater.canCheckForUpdates()) << "before the back end's answer arrives";
    QCoreApplication::processEvents();
    EXPECT_TRUE(updater.canCheckForUpdates());
    backEnd->report(false);
    EXPECT_TRUE(updater.canCheckForUpdates()) << "values arrive on a later turn";
    QCoreApplication::processEvents();
    EXPECT_FALSE(updater.canCheckForUpdates());
    backEnd->report(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(updater.canCheckForUpdates());
    EXPECT_EQ(changes.count(), 3);

    updater.checkForUpdates();
    EXPECT_EQ(backEnd->checks, 1);
}

TEST(UpdateCheckMessage, SaysWhatTheCheckFoundAndOffersOnlyASecurePage) {
    const UpdateCheckMessage upToDate =
        UpdateCheckMessage::of({UpdateCheckResult::Kind::upToDate, "1.0.0", {}, {}}, "1.0.0");
    EXPECT_EQ(upToDate.title, "You\u2019re up to date");
    EXPECT_EQ(upToDate.text, "Tallybird 1.0.0 is the newest version.");
    EXPECT_EQ(upToDate.openDownloadButton, QString());

    const UpdateCheckMessage available = UpdateCheckMessage::of(
        {UpdateCheckResult::Kind::available, "1.2.0", "<b>x</b>", QUrl("https://e.org/")}, "1.0.0");
    EXPECT_TRUE(available.text.startsWith("Tallybird 1.2.0 is available; you have 1.0.0."));
    EXPECT_EQ(available.notes, "<b>x</b>");
    EXPECT_EQ(available.openDownloadButton, "Open Download Page");
    EXPECT_EQ(UpdateCheckMessage::of({UpdateCheckResult::Kind::available, "1.2.0", {}, {}}, "1")
                  .openDownloadButton,
              QString());

    EXPECT_EQ(UpdateCheckMessage::of({}, "1.0.0").title, "Tallybird could not check for updates");
}

} // namespace
