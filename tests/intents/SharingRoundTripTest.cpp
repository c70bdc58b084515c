// Two people and one list: the owner's profile and a second person's profile on one cloud
// container, driven as a user would with the program's command line and `tallybird-cloud`, and
// looked at in between through the stores and the people screens' models, as the window would
// show them.
#include "ProcessTestSupport.h"

#include "cloud/CloudDevice.h"
#include "model/NoteAuthor.h"
#include "support/PostgresTestServer.h"
#include "sync/CloudSync.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/people/PersonAliasModel.h"

#include <QFile>

namespace {

using testsupport::waitForCompletion;
using namespace std::chrono_literals;

// One profile's store opened in this process, as its program would open it, syncing through
// the same container. Only while no program of that profile runs (the store file is locked).
class OpenProfile {
public:
    OpenProfile(const QString& folder, const QString& cloudFile)
        : defaults(QDir(folder).filePath(QStringLiteral("defaults.json"))),
          store(QDir(folder).filePath(QStringLiteral("store.json")), true, false, defaults) {
        cloud = CloudSync::attach(store, cloud::CloudDevice::open(cloudFile, folder));
        store.start();
    }

    void sync() {
        const auto error = waitForCompletion<std::optional<cloud::CloudError>>(
            [&](auto done) { cloud->syncNow(done); }, 20s);
        ASSERT_TRUE(error.has_value()) << "the pass never ended";
        ASSERT_FALSE(error->has_value()) << error->value().message.toStdString();
    }
    std::optional<cloud::Share> share(const QString& listID) {
        using Answer =
            std::pair<std::optional<cloud::Record>, std::optional<CloudSync::ShareError>>;
        const auto answer = waitForCompletion<Answer>(
            [&](auto done) {
                cloud->existingShare(listID, [done](auto share, auto error) {
                    done(Answer{share, error});
                });
            },
            20s);
        if (!answer || answer->second || !answer->first || !answer->first->share())
            return std::nullopt;
        return *answer->first->share();
    }
    std::optional<TBList> list(const QString& listID) const {
        for (const TBList& list : store.lists())
            if (list.id == listID)
                return list;
        return std::nullopt;
    }
    std::optional<TBItem> item(const QString& listID, const QString& text) {
        for (const TBItem& item : store.items(listID))
            if (item.text == text)
                return item;
        return std::nullopt;
    }

    FileDefaults defaults;
    ListStore store;
    CloudSync* cloud = nullptr;
};

// The list's screen as the window shows it; for an own list, once its share look-up has
// answered (another person's share is never looked up).
std::unique_ptr<ListDetailModel> listScreen(ListStore& store, const QString& listID, bool ownList) {
    auto screen = std::make_unique<ListDetailModel>(store);
    screen->show(listID);
    const QDeadlineTimer deadline(20'000);
    while (ownList && !screen->share() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return screen;
}

// Once on a container file, where both profiles are devices of one machine, and once on a
// PostgreSQL server, where the owner and the second person each connect as their own role.
class SharingRoundTrip : public ProcessTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        if (!onServer())
            return;
        TALLYBIRD_REQUIRE_POSTGRES();
        server = std::make_unique<testsupport::PostgresTestDatabase>();
        ASSERT_TRUE(server->ok()) << server->error().toStdString();
        admin({"create-user", ownerName()});
    }

    bool onServer() const { return GetParam(); }
    QString owner() const { return dir.filePath(QStringLiteral("owner")); }
    QString second() const { return dir.filePath(QStringLiteral("second")); }
    // The owner's user: the default user of a file, a person's role on a server.
    QString ownerName() const {
        return onServer() ? QStringLiteral("ann") : cloud::Container::defaultUserName;
    }
    QString cloudFor(const QString& profile) const override {
        if (!onServer())
            return cloudFile();
        return server->uri(profile == second() ? QStringLiteral("sam") : ownerName());
    }

    // `tallybird-cloud` on this test's container, as its administrator; it must succeed.
    QString admin(const QStringList& words) {
        QProcess process;
        process.start(QStringLiteral(TALLYBIRD_CLOUD_EXECUTABLE),
                      QStringList{"--cloud", onServer() ? server->adminUri() : cloudFile()} +
                          words);
        EXPECT_TRUE(process.waitForFinished(30'000));
        EXPECT_EQ(process.exitCode(), 0) << words.join(' ').toStdString() << ": "
                                         << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    QString said(const QStringList& words, const QString& profile) {
        const Typed typed = run(words, profile);
        EXPECT_EQ(typed.code, 0) << words.join(' ').toStdString();
        return typed.out;
    }

    std::unique_ptr<testsupport::PostgresTestDatabase> server;
};

TEST_P(SharingRoundTrip, AListSharedReadWriteThenReadOnlyWithANoteAndANicknameOnTheWay) {
    // The owner starts a list; the second person is a user of the container of their own.
    said({"start", "Weekend shop"}, owner());
    const QString listID = said({"lists"}, owner()).section(u'\t', 0, 0);
    ASSERT_FALSE(listID.isEmpty());
    const QString zone = QStringLiteral("TB-") + listID;
    admin({"create-user", "sam", "Sam", "Jones"});
    admin({"sign-in", second(), "sam"});
    admin({"share", ownerName(), zone, "sam", "read-write"});
    admin({"accept", ownerName(), zone, "sam"});

    // It arrives on the second profile, read-write: the second person can add to it.
    EXPECT_TRUE(said({"lists"}, second()).contains(listID + "\tWeekend shop\n"));
    EXPECT_EQ(said({"add", "--list", "weekend shop", "bread"}, second()),
              "Added bread to Weekend shop.\n");

    QString authorID;
    {
        OpenProfile sam(second(), cloudFor(second()));
        sam.sync();
        const std::optional<TBList> list = sam.list(listID);
        ASSERT_TRUE(list);
        EXPECT_TRUE(list->zoneOwnerName.has_value());
        EXPECT_EQ(list->sharePermission, TBSharePermission::readWrite);
        EXPECT_FALSE(list->isViewOnly());

        // A note under the name the container gives the second person.
        const std::optional<cloud::Share> share = sam.share(listID);
        ASSERT_TRUE(share);
        ASSERT_TRUE(share->currentUserParticipant());
        const std::optional<QString> name =
            NoteAuthor::formatted(share->currentUserParticipant()->userIdentity.nameComponents);
        ASSERT_EQ(name, "Sam Jones");
        authorID = sam.store.lastKnownUserRecordName().value_or(QString());
        ASSERT_FALSE(authorID.isEmpty());
        const std::optional<TBItem> bread = sam.item(listID, "bread");
        ASSERT_TRUE(bread);
        ASSERT_TRUE(sam.store.addNote("The seeded one", bread->id, authorID, *name));
        sam.sync();
    }

    {
        OpenProfile ann(owner(), cloudFor(owner()));
        ann.sync();
        // The owner's badge counts one person besides the owner.
        const auto screen = listScreen(ann.store, listID, true);
        ASSERT_TRUE(screen->share());
        EXPECT_EQ(screen->share()->otherParticipants, 1);
        ASSERT_TRUE(screen->snapshot().badge);
        EXPECT_EQ(screen->snapshot().badge->countText, "+1");
        EXPECT_EQ(screen->snapshot().badge->count, ShareBadgeFace::Count::shown);
        EXPECT_TRUE(ann.list(listID)->hasShare);

        // The note shows with the second person's name, then with the owner's nickname.
        const std::optional<TBItem> bread = ann.item(listID, "bread");
        ASSERT_TRUE(bread);
        EXPECT_TRUE(bread->notes.contains("The seeded one"));
        EXPECT_EQ(ann.store.display(authorID, "Sam Jones").name, "Sam Jones");
        PersonAliasModel sheet(ann.store, authorID, "Sam Jones");
        sheet.createProfile();
        sheet.setAlias("Sammy");
        sheet.save();
        EXPECT_EQ(ann.store.display(authorID, "Sam Jones").name, "Sammy");
        ann.sync();
    }

    // The nickname stays on the owner's device: not in the container, not on the second profile.
    EXPECT_FALSE(admin({"list", ownerName(), zone}).contains("Sammy"));
    {
        OpenProfile sam(second(), cloudFor(second()));
        sam.sync();
        EXPECT_TRUE(sam.store.aliases().isEmpty());
        EXPECT_EQ(sam.store.display(authorID, "Sam Jones").name, "Sam Jones");
    }
    QFile ownerFile(QDir(owner()).filePath("store.json"));
    ASSERT_TRUE(ownerFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ownerFile.readAll().contains("Sammy"));

    // Read-only from now on: the second profile's copy is view-only.
    admin({"permission", ownerName(), zone, "sam", "read-only"});
    const Typed refused = run({"add", "--list", "weekend shop", "eggs"}, second());
    EXPECT_EQ(refused.out, "Weekend shop is view only, so I can't add to it.\n");
    EXPECT_EQ(refused.code, CommandLine::refused) << "a script sees it was not done";
    OpenProfile sam(second(), cloudFor(second()));
    EXPECT_EQ(sam.list(listID)->sharePermission, TBSharePermission::readOnly);
    EXPECT_TRUE(sam.list(listID)->isViewOnly());
    EXPECT_FALSE(sam.store.addItem(listID, "eggs"));
    const auto screen = listScreen(sam.store, listID, false);
    EXPECT_FALSE(screen->snapshot().canEdit);
    EXPECT_FALSE(screen->mayWrite());
}

INSTANTIATE_TEST_SUITE_P(Containers, SharingRoundTrip, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "server" : "file"; });

} // namespace
