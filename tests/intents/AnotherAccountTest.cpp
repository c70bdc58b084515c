// A profile with lists that meets another account, as a user brings it about: pointed at a
// server with `--cloud`, or signed into another person with `tallybird-cloud`. Its lists reach
// the new account whole, and that account's other device answers from them. In a list shared
// with both accounts, each answers from what the list holds for them.
#include "ProcessTestSupport.h"

#include "cloud/Container.h"
#include "support/PostgresTestServer.h"

namespace {

class AnotherAccount : public ProcessTest {
protected:
    QString laptop() const { return dir.filePath(QStringLiteral("laptop")); }
    QString cloudFor(const QString& profile) const override {
        const auto moved = movedTo.find(profile);
        return moved != movedTo.end() ? moved->second : cloudFile();
    }

    QString said(const QStringList& words, const QString& profile = {}) {
        const Typed typed = run(words, profile);
        EXPECT_EQ(typed.code, 0) << words.join(' ').toStdString();
        EXPECT_EQ(typed.err, QString()) << words.join(' ').toStdString();
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

    // Groceries with milk and Packing with socks, made on the profile of the test's folder.
    void fillProfile() {
        said({"start", "Groceries"});
        said({"add", "--list", "groceries", "milk"});
        said({"start", "Packing"});
        said({"add", "--list", "packing", "socks"});
    }
    // What another device of the account the profile went to answers, having never synced.
    void expectEverythingOnTheLaptop() {
        const QStringList lists = said({"lists"}, laptop()).split('\n', Qt::SkipEmptyParts);
        QStringList names;
        for (const QString& line : lists)
            names.append(line.section(u'\t', 1));
        names.sort();
        EXPECT_EQ(names, QStringList({"Groceries", "Packing"}));
        EXPECT_EQ(said({"read", "--list", "groceries"}, laptop()),
                  "Two things left on Groceries: milk and flour.\n");
        EXPECT_EQ(said({"read", "--list", "packing"}, laptop()),
                  "One thing left on Packing: socks.\n");
    }

    // Profile folder to the container it is pointed at from now on.
    std::map<QString, QString> movedTo;
};

TEST_F(AnotherAccount, AProfileMovedOntoAServerBringsItsListsToTheAccountsOtherDevice) {
    TALLYBIRD_REQUIRE_POSTGRES();
    testsupport::PostgresTestDatabase server;
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    server.addPerson(QStringLiteral("ann"));
    fillProfile();

    movedTo[dir.path()] = movedTo[laptop()] = server.uri(QStringLiteral("ann"));
    EXPECT_EQ(said({"lists"}).count('\n'), 2);
    EXPECT_EQ(said({"add", "--list", "groceries", "flour"}), "Added flour to Groceries.\n");
    expectEverythingOnTheLaptop();
}

TEST_F(AnotherAccount, ADeviceSignedIntoAnotherPersonBringsItsListsToThatPersonsOtherDevice) {
    fillProfile();
    admin({"create-user", "kim"});
    admin({"sign-in", dir.path(), "kim"});
    admin({"sign-in", laptop(), "kim"});
    EXPECT_EQ(said({"add", "--list", "groceries", "flour"}), "Added flour to Groceries.\n");
    expectEverythingOnTheLaptop();
}

TEST_F(AnotherAccount, AListSharedWithBothAccountsAnswersEachFromWhatItHoldsForThem) {
    // Ann's Tools, shared read-write with the account this device starts in and with Kim.
    const QString ann = dir.filePath(QStringLiteral("ann"));
    admin({"create-user", "ann"});
    admin({"create-user", "kim"});
    admin({"sign-in", ann, "ann"});
    said({"start", "Tools"}, ann);
    said({"add", "--list", "tools", "hammer"}, ann);
    said({"add", "--list", "tools", "saw"}, ann);
    const QString zone = "TB-" + said({"lists"}, ann).section(u'\t', 0, 0);
    for (const QString& person : {cloud::Container::defaultUserName, QStringLiteral("kim")}) {
        admin({"share", "ann", zone, person, "read-write"});
        admin({"accept", "ann", zone, person});
    }
    said({"lists"});

    // Out of reach, this account ticks the hammer off; then the device goes to Kim.
    admin({"offline", dir.path()});
    EXPECT_EQ(run({"tick", "--list", "tools", "hammer"}).code, 0);
    admin({"online", dir.path()});
    admin({"sign-in", dir.path(), "kim"});

    struct Step {
        const char* what;
        QStringList words;
        QString profile; // the device's own when empty
        QString reply;
    };
    const Step steps[] = {
        {"Kim reads the list as it is for her",
         {"read", "--list", "tools"},
         {},
         "Two things left on Tools: hammer and saw.\n"},
        {"Kim ticks the hammer off",
         {"tick", "--list", "tools", "hammer"},
         {},
         "Ticked off hammer.\n"},
        {"Ann gets Kim's tick",
         {"read", "--list", "tools"},
         ann,
         "One thing left on Tools: saw.\n"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(said(step.words, step.profile), step.reply);
    }
}

} // namespace
