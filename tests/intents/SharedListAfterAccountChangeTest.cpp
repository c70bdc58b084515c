// A device that held a list another person shared with its account, signed into someone else
// with `tallybird-cloud`: the list is no longer theirs to change, and the command line and the
// window say so instead of keeping changes that could never reach anyone; what the account
// before added out of reach waits for it, out of view. The device's own lists
// go on to the new account's other device.
#include "ProcessTestSupport.h"
#include "cloud/Container.h"

#include "ui/detail/ListDetailModel.h"

namespace {

class SharedListAfterAccountChange : public ProcessTest {
protected:
    QString bob() const { return dir.filePath(QStringLiteral("bob")); }
    QString laptop() const { return dir.filePath(QStringLiteral("laptop")); }

    Typed ran(const QStringList& words, const QString& profile = {}) {
        const Typed typed = run(words, profile);
        EXPECT_EQ(typed.err, QString()) << words.join(' ').toStdString();
        return typed;
    }
    QString said(const QStringList& words, const QString& profile = {}) {
        const Typed typed = ran(words, profile);
        EXPECT_EQ(typed.code, 0) << words.join(' ').toStdString();
        return typed.out;
    }
    // `tallybird-cloud` on the container file, as its administrator; it must succeed.
    void admin(const QStringList& words) {
        QProcess process;
        process.start(QStringLiteral(TALLYBIRD_CLOUD_EXECUTABLE),
                      QStringList{"--cloud", cloudFile()} + words);
        ASSERT_TRUE(process.waitForFinished(30'000));
        EXPECT_EQ(process.exitCode(), 0) << words.join(' ').toStdString() << ": "
                                         << process.readAllStandardError().toStdString();
    }
    static QStringList names(const QString& lists) {
        QStringList out;
        for (const QString& line : lists.split('\n', Qt::SkipEmptyParts))
            out.append(line.section(u'\t', 1));
        out.sort();
        return out;
    }
};

TEST_F(SharedListAfterAccountChange, ASharedListTurnsViewOnlyAndOwnListsReachTheNewAccount) {
    // Bob's Tools, shared read-write with the account this device starts in.
    admin({"create-user", "bob"});
    admin({"sign-in", bob(), "bob"});
    said({"start", "Tools"}, bob());
    said({"add", "--list", "tools", "hammer"}, bob());
    const QString tools = said({"lists"}, bob()).section(u'\t', 0, 0);
    ASSERT_FALSE(tools.isEmpty());
    admin({"share", "bob", "TB-" + tools, cloud::Container::defaultUserName, "read-write"});
    admin({"accept", "bob", "TB-" + tools, cloud::Container::defaultUserName});
    said({"start", "Groceries"});
    EXPECT_EQ(names(said({"lists"})), QStringList({"Groceries", "Tools"}));
    EXPECT_EQ(said({"add", "--list", "tools", "nails"}), "Added nails to Tools.\n");
    // Out of reach, one more: this account's to send, which nobody else sees meanwhile.
    admin({"offline", dir.path()});
    EXPECT_EQ(run({"add", "--list", "tools", "screws"}).code, 0);
    admin({"online", dir.path()});

    admin({"create-user", "kim"});
    admin({"sign-in", dir.path(), "kim"});
    admin({"sign-in", laptop(), "kim"});

    // Kim cannot reach Bob's list: every change of it is refused, as of a view-only list.
    Typed refused = ran({"add", "--list", "tools", "screws"});
    EXPECT_EQ(refused.out, "Tools is view only, so I can't add to it.\n");
    EXPECT_EQ(refused.code, 5);
    refused = ran({"tick", "--list", "tools", "hammer"});
    EXPECT_EQ(refused.out, "Tools is view only, so I can't change it.\n");
    EXPECT_EQ(refused.code, 5);
    // What the device held of it stays to be read.
    EXPECT_EQ(said({"read", "--list", "tools"}), "Two things left on Tools: hammer and nails.\n");
    EXPECT_EQ(said({"add", "--list", "groceries", "flour"}), "Added flour to Groceries.\n");

    // Kim's other device gets the device's own list, and only that; Bob's list is as it was.
    EXPECT_EQ(names(said({"lists"}, laptop())), QStringList({"Groceries"}));
    EXPECT_EQ(said({"read", "--list", "groceries"}, laptop()),
              "One thing left on Groceries: flour.\n");
    EXPECT_EQ(said({"read", "--list", "tools"}, bob()),
              "Two things left on Tools: hammer and nails.\n");

    // The window shows the list as view only, and nothing of it waits to be sent.
    const std::unique_ptr<ListStore> store = readStore();
    ListDetailModel screen(*store);
    screen.show(tools);
    ASSERT_TRUE(screen.snapshot().list);
    EXPECT_FALSE(screen.snapshot().canEdit);
    EXPECT_TRUE(screen.snapshot().list->isViewOnly());
    EXPECT_FALSE(store->dirtyLists().contains(tools));
    for (const TBItem& item : store->itemsOf(tools))
        EXPECT_FALSE(store->dirtyItems().contains(item.id)) << item.text.toStdString();
}

} // namespace
