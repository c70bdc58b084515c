// The command line without a running program: parameters, questions, exit codes.
#include "IntentsTestSupport.h"

#include "intents/StoreNotice.h"
#include "store/UnreadableCopies.h"
#include "support/FileSizeLimit.h"

#include <functional>
#include <optional>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

class CommandLineRequests : public CommandLineTest {
protected:
    void SetUp() override {
        CommandLineTest::SetUp();
        Seed seed(openStore());
        groceries = seed.list("Groceries");
        work = seed.list("Work");
        otherWork = seed.list("work");
        oat1 = seed.item(groceries, "Oat milk");
        oat2 = seed.item(groceries, "oat milk");
    }
    // Lines typed on a terminal, "|" between; null: no terminal.
    void answering(const char* input) {
        console.isInteractive = input != nullptr;
        console.input = input && *input ? QString(input).split('|') : QStringList();
    }
    QString groceries, work, otherWork, oat1, oat2;
};

TEST_F(CommandLineRequests, ScriptedParametersThatAreWrongExitWithTwoAndSayNothing) {
    struct Case {
        QStringList words;
        const char* note; // the first note
    } cases[] = {
        {{"add", "eggs"}, "Name the list with --list NAME or --list-id ID."},
        {{"add", "--list", "Groceries"}, "Say what to add after the command."},
        {{"tick", "--list", "Groceries"}, "Say which item to tick off after the command."},
        {{"start"}, "Say the new list's name after the command."},
        {{"read", "--list", "Groceries", "extra"},
         "“read” takes no text; name the list with --list NAME or --list-id ID."},
        {{"start", "--list", "Groceries", "x"}, "“start” takes no list."},
        {{"add", "--list", "G", "--list-id", "X", "e"},
         "Give either --list or --list-id, not both."},
        {{"read", "--list-id", "../etc", "--yes"}, "“../etc” is not a list id."},
        {{"read", "--list", "G", "--yes", "--no"}, "Give either --yes or --no, not both."},
        {{"tick", "--list", "G", "--choose", "two", "x"}, "--choose takes a number."},
        {{"fly"}, "Unknown command “fly”; see tallybird --help."},
        {{"say", "Sing Groceries in Tallybird"},
         "No request answers to “Sing Groceries in Tallybird”."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        EXPECT_EQ(typed(c.words), CommandLine::badParameter);
        EXPECT_TRUE(console.said.isEmpty());
        ASSERT_FALSE(console.notes.isEmpty());
        EXPECT_EQ(console.notes.first(), QString::fromUtf8(c.note));
    }
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk"}));
}

// A script tells by the exit code alone whether its request was done; the sentence is said as
// it would be spoken either way, and nothing is changed.
TEST_F(CommandLineRequests, ARequestThatWasNotDoneExitsWithWhyAndStillSaysItsSentence) {
    Seed seed(openStore());
    const QString team = seed.sharedList("Team", TBSharePermission::readOnly);
    seed.item(groceries, "Eggs", true);
    seed.release();
    const struct {
        const char* what;
        QStringList words;
        int code;
        const char* said; // on standard output; null: a note on standard error instead
        const char* note;
    } cases[] = {
        {"no such item",
         {"tick", "--list", "Groceries", "bacon"},
         CommandLine::notFound,
         "I couldn't find bacon on Groceries.",
         nullptr},
        {"no such list",
         {"add", "--list", "Garden", "eggs"},
         CommandLine::notFound,
         nullptr,
         "No list answers to “Garden”."},
        {"no such list, said",
         {"say", "Read Garden in Tallybird"},
         CommandLine::notFound,
         nullptr,
         "No list answers to “Garden”."},
        {"the list is gone",
         {"read", "--list-id", "GONE"},
         CommandLine::notFound,
         "I couldn't find that list any more.",
         nullptr},
        {"the list is gone for a tick",
         {"tick", "--list-id", "GONE", "eggs"},
         CommandLine::notFound,
         "I couldn't find that list any more.",
         nullptr},
        {"view only, adding",
         {"add", "--list", "Team", "eggs"},
         CommandLine::refused,
         "Team is view only, so I can't add to it.",
         nullptr},
        {"view only, ticking",
         {"tick", "--list-id", team, "eggs"},
         CommandLine::refused,
         "Team is view only, so I can't change it.",
         nullptr},
        {"already ticked off",
         {"tick", "--list", "Groceries", "eggs"},
         CommandLine::refused,
         "Eggs was already ticked off.",
         nullptr},
        {"the name is taken",
         {"start", "my groceries list"},
         CommandLine::refused,
         "You've already got a Groceries list.",
         nullptr},
        {"nothing to add",
         {"add", "--list", "Groceries", " \t "},
         CommandLine::refused,
         "I didn't catch what to add.",
         nullptr},
        {"nothing to call it",
         {"start", " "},
         CommandLine::refused,
         "I didn't catch what to call it.",
         nullptr},
        {"done",
         {"add", "--list", "Groceries", "bread"},
         CommandLine::ok,
         "Added bread to Groceries.",
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(typed(c.words), c.code);
        EXPECT_EQ(console.said, c.said ? QStringList{c.said} : QStringList());
        EXPECT_EQ(console.notes, c.note ? QStringList{c.note} : QStringList());
    }
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk", "Eggs ✓", "bread"}));
    EXPECT_EQ(listLines(), QStringList({"Groceries", "Work", "work", "Team"}));
}

TEST(CommandLineExitCodes, EachCodeIsNamedOnceAndTheHelpSaysWhatItMeans) {
    const QString help = CommandLine::parse({"tallybird", "--help"}).helpText;
    QList<int> codes;
    for (const ExitCode::Meaning& meaning : ExitCode::meanings()) {
        EXPECT_FALSE(codes.contains(meaning.code)) << int(meaning.code);
        codes.append(meaning.code);
        const QString line = QStringLiteral("  %1  %2\n").arg(int(meaning.code)).arg(meaning.text);
        EXPECT_TRUE(help.contains(line)) << line.toStdString() << help.toStdString();
    }
    EXPECT_EQ(codes, QList<int>({0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(CommandLineRequests, AnAmbiguousListNameListsTheCandidatesWithTheirIds) {
    EXPECT_EQ(typed({"read", "--list", "Work"}), CommandLine::ok) << "the exact name wins";
    EXPECT_EQ(console.said, QStringList{"Nothing left on Work."});
    EXPECT_EQ(typed({"read", "--list", "WORK"}), CommandLine::cannotAsk);
    EXPECT_EQ(console.notes,
              QStringList({"Several lists answer to “WORK”:", "  " + work + "  Work",
                           "  " + otherWork + "  work", "Choose one with --list-id ID."}));
}

TEST_F(CommandLineRequests, ListsPrintsIdsInDisplayOrderAndAnIdNamesAListDirectly) {
    EXPECT_EQ(typed({"lists"}), CommandLine::ok);
    EXPECT_EQ(console.said,
              QStringList({groceries + "\tGroceries", work + "\tWork", otherWork + "\twork"}));
    // The words after the command make one text.
    EXPECT_EQ(typed({"add", "--list-id", otherWork, "two", "words"}), CommandLine::ok);
    EXPECT_EQ(console.said, QStringList{"Added two words to work."});
}

TEST_F(CommandLineRequests, OnATerminalMissingAndAmbiguousParametersAreAskedFor) {
    console.isInteractive = true;
    console.input = {"2", "eggs"};
    EXPECT_EQ(typed({"add", "--list", "WORK"}), CommandLine::ok);
    EXPECT_EQ(console.said, QStringList({"What would you like to add?", "Added eggs to work."}));
    EXPECT_EQ(itemTexts(otherWork), QStringList{"eggs"});

    // No list at all: every list is offered; a wrong answer is asked again.
    console.input = {"7", "1", "bread"};
    EXPECT_EQ(typed({"add"}), CommandLine::ok);
    EXPECT_EQ(console.said,
              QStringList({"What would you like to add?", "Added bread to Groceries."}));

    console.input = {"Packing"};
    EXPECT_EQ(typed({"start"}), CommandLine::ok);
    EXPECT_EQ(console.said, QStringList({"What should it be called?", "Started Packing."}));

    // The end of input at a question cancels.
    console.input = {};
    EXPECT_EQ(typed({"add", "--list", "Groceries"}), CommandLine::failed);
    EXPECT_EQ(console.said, QStringList{"What would you like to add?"});
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk", "bread"}));
}

// The chosen item is ticked by its id: its text alone answers for both.
TEST_F(CommandLineRequests, WhichOneIsAnsweredByChoiceOrOnATerminal) {
    struct Case {
        const char* choose; // --choose N
        const char* input;  // see answering()
        int code;
        const char* last; // the reply, or the last note when nothing is ticked
        int ticked;       // 1 or 2; 0: none
    } cases[] = {
        {nullptr, nullptr, CommandLine::cannotAsk, "Choose one with --choose N.", 0},
        {"3", nullptr, CommandLine::badParameter, "There is no choice 3: choose 1 to 2.", 0},
        {nullptr, "", CommandLine::failed, "Cancelled.", 0},
        {"2", nullptr, CommandLine::ok, "Ticked off oat milk.", 2},
        {nullptr, "x|1", CommandLine::ok, "Ticked off Oat milk.", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last);
        answering(c.input);
        QStringList words{"tick", "--list", "Groceries"};
        if (c.choose)
            words += {"--choose", c.choose};
        EXPECT_EQ(typed(words + QStringList{"OAT MILK"}), c.code);
        const QStringList listed =
            c.choose ? QStringList() : QStringList{"  1. Oat milk", "  2. oat milk"};
        EXPECT_EQ(console.said,
                  QStringList{"Which one?"} + (c.ticked ? QStringList{c.last} : QStringList()));
        EXPECT_EQ(console.notes, listed + (c.ticked ? QStringList() : QStringList{c.last}));
        EXPECT_EQ(itemTexts(groceries), QStringList({c.ticked == 1 ? "Oat milk ✓" : "Oat milk",
                                                     c.ticked == 2 ? "oat milk ✓" : "oat milk"}));
        EXPECT_EQ(voiceFlag(), c.ticked != 0);
        auto store = openStore();
        store->setDone(oat1, false);
        store->setDone(oat2, false);
    }
}

TEST_F(CommandLineRequests, ALongReadAsksFirst) {
    Seed seed(openStore());
    for (const char* text : {"eggs", "milk", "bread"})
        seed.item(groceries, text);
    seed.release();
    const QString question = "Five things left on Groceries. Shall I read them?";
    const QString all = "Oat milk, oat milk, eggs, milk and bread.";

    const struct {
        const char* flag;
        const char* input; // see answering()
        int code;
        bool readsAll;
    } cases[] = {
        {"--yes", nullptr, CommandLine::ok, true},    {"--no", nullptr, CommandLine::ok, false},
        {"", nullptr, CommandLine::cannotAsk, false}, {"", "maybe|Y", CommandLine::ok, true},
        {"", "no", CommandLine::ok, false},           {"", "", CommandLine::failed, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.flag) + " " + (c.input ? c.input : "(no terminal)"));
        answering(c.input);
        const QStringList flags = *c.flag ? QStringList{c.flag} : QStringList();
        EXPECT_EQ(typed(QStringList{"read", "--list", "Groceries"} + flags), c.code);
        EXPECT_EQ(console.said,
                  c.readsAll ? QStringList({question, all}) : QStringList({question}));
    }
}

TEST_F(CommandLineRequests, AStoreHeldByAnotherWriterIsWaitedForThenReportedAsAFailure) {
    auto holder = openStore(); // holds the lock and does not answer on any socket
    EXPECT_EQ(typed({"add", "--list", "Groceries", "eggs"}), CommandLine::unreachable);
    EXPECT_TRUE(console.said.isEmpty());
    ASSERT_EQ(console.notes.size(), 1);
    EXPECT_TRUE(console.notes.first().contains("in use by another Tallybird process"));
    // Reading needs no lock.
    EXPECT_EQ(typed({"read", "--list", "Groceries"}), CommandLine::ok);
    holder.reset();
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk"}));
}

TEST_F(CommandLineRequests, AFailedSavePrintsAnErrorInsteadOfTheReply) {
    const QString path = storePath();
    const auto fileBytes = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = fileBytes();
    struct Case {
        const char* what;
        std::function<void()> breakIt;
        QString note;
        bool fileKept; // the file still holds what it held
        int code;
    };
    std::optional<testsupport::FileSizeLimit> limit;
    const Case cases[] = {
        // The whole new file would be larger than a process may write: the disk is full.
        {"the file-size limit cuts the write short", [&] { limit.emplace(before.size()); },
         "The change could not be saved to “" + path + "”. File too large.", true,
         CommandLine::notSaved},
        // Found when the store is opened, before any wait for the lock.
        {"a folder stands where the file goes",
         [&] {
             QFile::remove(path);
             ASSERT_TRUE(QDir().mkdir(path));
         },
         "The store file “" + path + "” cannot be opened: file to open is a directory.", false,
         CommandLine::unreachable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.breakIt();
        EXPECT_EQ(typed({"start", "Packing"}), c.code);
        limit.reset();
        EXPECT_TRUE(console.said.isEmpty());
        EXPECT_EQ(console.notes, QStringList{c.note});
        EXPECT_FALSE(voiceFlag());
        if (c.fileKept) {
            EXPECT_EQ(fileBytes(), before);
        }
    }
}

// A look-up that finds no one answer exits as the same situation does for an item: several
// answer, and nobody is there to choose (3); the store could not be opened to look in (6), said
// once, never as a list that is not there.
TEST_F(CommandLineRequests, AListLookUpWithoutOneAnswerExitsAsTheSameSituationDoesForAnItem) {
    const QString folderNote =
        "The store file “" + storePath() + "” cannot be opened: file to open is a directory.";
    const struct {
        const char* what;
        bool storeIsAFolder;
        QStringList words;
        int code;
        QStringList notes;
    } cases[] = {
        {"several lists answer",
         false,
         {"add", "--list", "WORK", "eggs"},
         CommandLine::cannotAsk,
         {"Several lists answer to “WORK”:", "  " + work + "  Work", "  " + otherWork + "  work",
          "Choose one with --list-id ID."}},
        {"several items answer",
         false,
         {"tick", "--list", "Groceries", "OAT MILK"},
         CommandLine::cannotAsk,
         {"  1. Oat milk", "  2. oat milk", "Choose one with --choose N."}},
        {"no list is named",
         false,
         {"read"},
         CommandLine::badParameter,
         {"Name the list with --list NAME or --list-id ID."}},
        {"reading a list by name",
         true,
         {"read", "--list", "Groceries"},
         CommandLine::unreachable,
         {folderNote}},
        {"adding to a list by name",
         true,
         {"add", "--list", "Groceries", "eggs"},
         CommandLine::unreachable,
         {folderNote}},
        {"said",
         true,
         {"say", "Read Groceries in Tallybird"},
         CommandLine::unreachable,
         {folderNote}},
        {"every list", true, {"lists"}, CommandLine::unreachable, {folderNote}},
        {"no list is named, in a folder",
         true,
         {"read"},
         CommandLine::badParameter,
         {"Name the list with --list NAME or --list-id ID."}},
    };
    const QString path = storePath();
    const QString aside = path + ".aside";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.storeIsAFolder && !QFileInfo(path).isDir()) {
            ASSERT_TRUE(QFile::rename(path, aside));
            ASSERT_TRUE(QDir().mkdir(path));
        }
        EXPECT_EQ(typed(c.words), c.code);
        EXPECT_EQ(console.notes, c.notes);
    }
    ASSERT_TRUE(QDir().rmdir(path));
    ASSERT_TRUE(QFile::rename(aside, path));
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk"}));
}

TEST_F(CommandLineRequests, TheDeviceIsBroughtUpToDateOnceBeforeAnyListIsLookedAt) {
    int catchUps = 0;
    catchUp.run = [&](ListStore& store, const RequestRoute::Notice& notice) {
        ++catchUps;
        // What another device did arrives now.
        store.addList(QStringLiteral("Weekend shop"));
        notice("Could not sync.");
        notice("Could not sync.");
    };
    EXPECT_EQ(typed({"read", "--list", "weekend shop"}), CommandLine::ok);
    EXPECT_EQ(console.said, QStringList{"Nothing left on Weekend shop."});
    EXPECT_EQ(console.notes, QStringList{"Could not sync."}) << "each note once";
    EXPECT_EQ(catchUps, 1);

    catchUp.run = [&](ListStore&, const RequestRoute::Notice&) { ++catchUps; };
    EXPECT_EQ(typed({"lists"}), CommandLine::ok);
    EXPECT_EQ(console.said.size(), 4);
    EXPECT_TRUE(console.said.last().endsWith("\tWeekend shop"));
    EXPECT_EQ(typed({"start", "Packing"}), CommandLine::ok);
    EXPECT_EQ(catchUps, 3);

    // Nothing new in the cloud: the store is not even opened for it.
    catchUp.due = [] { return false; };
    EXPECT_EQ(typed({"add", "--list", "packing", "socks"}), CommandLine::ok);
    EXPECT_EQ(catchUps, 3);

    // A request ahead in line brought it all while this one waited for its turn.
    int asked = 0;
    catchUp.due = [&] { return ++asked == 1; };
    EXPECT_EQ(typed({"add", "--list", "packing", "shoes"}), CommandLine::ok);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(catchUps, 3);
}

TEST_F(CommandLineRequests, TheRequestWorksOnTheStoreTheCatchUpBroughtUpToDate) {
    const ListStore* caughtUp = nullptr;
    catchUp.run = [&](ListStore& store, const RequestRoute::Notice&) {
        caughtUp = &store;
        store.addList(QStringLiteral("Weekend shop"));
    };
    const ListStore* changed = nullptr;
    sync = [&](ListStore& store, IntentFrame::SyncDone done) {
        changed = &store;
        done(std::nullopt);
    };
    EXPECT_EQ(typed({"add", "--list", "weekend shop", "bread"}), CommandLine::ok);
    EXPECT_EQ(console.said, QStringList{"Added bread to Weekend shop."});
    ASSERT_NE(caughtUp, nullptr);
    EXPECT_EQ(changed, caughtUp) << "one store, loaded once";
    catchUp = {};
    EXPECT_EQ(typed({"read", "--list", "weekend shop"}), CommandLine::ok);
    EXPECT_TRUE(console.said.value(0).endsWith(": bread.")) << console.said.value(0).toStdString();
}

TEST_F(CommandLineRequests, AChangeThatWasSavedButNotSyncedSaysSoApartFromTheReply) {
    sync = [](ListStore&, IntentFrame::SyncDone done) { done(QStringLiteral("offline")); };
    EXPECT_EQ(typed({"add", "--list", "Groceries", "eggs"}), CommandLine::ok);
    EXPECT_EQ(console.said, QStringList{"Added eggs to Groceries."});
    EXPECT_EQ(console.notes,
              QStringList{"The change is saved here but could not be synced: offline"});
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk", "eggs"}));
}

TEST_F(CommandLineRequests, AStoreFileThatCannotBeReadInFullIsSaidOncePerCopy) {
    const QByteArray damaged = QByteArray("{\"version\":3,\"lists\":[") + '\0' + "]}";
    QFile file(storePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(damaged);
    file.close();

    EXPECT_EQ(typed({"lists"}), CommandLine::ok);
    EXPECT_TRUE(console.said.isEmpty());
    const QStringList copies = UnreadableCopies::copies(storePath());
    ASSERT_EQ(copies.size(), 1);
    const QString note = StoreNotice::unreadable(storePath(), copies.first());
    EXPECT_EQ(console.notes, QStringList{note});
    QFile copy(copies.first());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), damaged);

    // Asked again, it says so again: the index does not stand in for a damaged store.
    EXPECT_EQ(typed({"lists"}), CommandLine::ok);
    EXPECT_EQ(console.notes, QStringList{note});

    // A request that reads the file twice (the name, then the change) says it once.
    EXPECT_EQ(typed({"start", "Packing"}), CommandLine::ok);
    EXPECT_EQ(console.said, QStringList{"Started Packing."});
    EXPECT_EQ(console.notes, QStringList{note});
    EXPECT_EQ(UnreadableCopies::copies(storePath()), copies);

    // The store now reads in full.
    EXPECT_EQ(typed({"lists"}), CommandLine::ok);
    EXPECT_TRUE(console.notes.isEmpty());
}

TEST_F(CommandLineRequests, EveryRequestThatChangesTheListsLeavesTheIndexCurrent) {
    const auto indexIsCurrent = [&] {
        return ListEntityIndex::read(ListEntityIndex::storeStamp(storePath())).has_value() &&
               indexLines() == listLines(true);
    };
    EXPECT_EQ(typed({"start", "Packing"}), CommandLine::ok);
    EXPECT_TRUE(indexIsCurrent());
    EXPECT_EQ(typed({"add", "--list", "Packing", "socks"}), CommandLine::ok);
    EXPECT_TRUE(indexIsCurrent());
    // Another writer changed the store behind the index: the next look-up reads the store.
    Seed(openStore()).rename(groceries, "Shopping");
    EXPECT_FALSE(indexIsCurrent());
    EXPECT_EQ(typed({"read", "--list", "shopping"}), CommandLine::ok);
    EXPECT_EQ(console.said, QStringList{"Two things left on Shopping: Oat milk and oat milk."});
    EXPECT_TRUE(indexIsCurrent());
}

// Counts the times the store file is read: opened and read from before it is closed. A save
// opens the file it replaces too, without reading it (it holds it while the new one goes in).
class StoreReads {
public:
    explicit StoreReads(const QString& path)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
          // Closes are watched too: two opens in a row, unread, would come as one event.
          watch_(inotify_add_watch(fd_, QFile::encodeName(path).constData(),
                                   IN_OPEN | IN_ACCESS | IN_CLOSE)) {}
    ~StoreReads() { ::close(fd_); }
    int count() const {
        int reads = 0;
        bool opened = false;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->mask & IN_OPEN)
                    opened = true;
                if ((event->mask & IN_ACCESS) && opened) {
                    ++reads;
                    opened = false;
                }
                if (event->mask & IN_CLOSE)
                    opened = false;
                at += ssize_t(sizeof(inotify_event)) + event->len;
            }
        }
        return reads;
    }
    bool watching() const { return watch_ >= 0; }

private:
    int fd_;
    int watch_;
};

TEST_F(CommandLineRequests, ARequestByNameReadsAStoreChangedBehindTheIndexOnce) {
    struct Case {
        const char* what;
        QStringList words;
        QString said;
    } cases[] = {
        {"a change", {"add", "--list", "shopping", "eggs"}, "Added eggs to Shopping."},
        {"a tick", {"tick", "--list", "shopping", "eggs"}, "Ticked off eggs."},
        {"a read",
         {"read", "--list", "shopping"},
         "Two things left on Shopping: Oat milk and oat milk."},
    };
    Seed(openStore()).rename(groceries, "Shopping");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Another writer changed the store behind the index.
        Seed(openStore()).item(work, c.what);
        const StoreReads reads(storePath());
        ASSERT_TRUE(reads.watching());
        EXPECT_EQ(typed(c.words), CommandLine::ok);
        EXPECT_EQ(console.said, QStringList{c.said});
        EXPECT_EQ(reads.count(), 1);
        EXPECT_TRUE(ListEntityIndex::read(ListEntityIndex::storeStamp(storePath())).has_value());
    }
    // Through a current index the store is read once as well.
    const StoreReads reads(storePath());
    EXPECT_EQ(typed({"add", "--list", "shopping", "bread"}), CommandLine::ok);
    EXPECT_EQ(reads.count(), 1);
}

} // namespace

namespace {

TEST(CommandLineHelp, NamesEachRequestsParametersByTheirTitles) {
    const QString help = CommandLine::parse({"tallybird", "--help"}).helpText;
    const struct {
        const char* what;
        const char* line;
    } rows[] = {
        {"add", "  add [List] [Item]           Add an item to a list.\n"},
        {"tick", "  tick [List] [Item]          Tick an item off a list"},
        {"start", "  start [Name]                Start a new list.\n"},
        {"open", "  open [List]                 Show a list in Tallybird.\n"},
        {"read", "  read [List]                 Say what is left on a list"},
        {"how a list is named", "List is --list <name> or --list-id <id>."},
    };
    for (const auto& row : rows)
        EXPECT_TRUE(help.contains(QString::fromUtf8(row.line))) << row.what << "\n"
                                                                << help.toStdString();
    for (const char* placeholder : {"LIST", "ITEM", "NAME"})
        EXPECT_FALSE(help.contains(QString::fromUtf8(placeholder))) << placeholder;
}

} // namespace

namespace {

TEST(CommandLineParse, TheVoiceSettingsArgumentOpensTheWindowAsAnyLaunch) {
    const struct {
        const char* what;
        QStringList arguments;
        bool error;
    } rows[] = {
        {"the argument alone", {"tallybird", "-uitest-voice"}, false},
        {"with a profile", {"tallybird", "--profile", "/tmp/p", "-uitest-voice"}, false},
        {"another case", {"tallybird", "-UITEST-VOICE"}, true},
        {"a longer argument", {"tallybird", "-uitest-voices"}, true},
    };
    for (const auto& row : rows) {
        const CommandLineOptions options = CommandLine::parse(row.arguments);
        EXPECT_EQ(!options.error.isEmpty(), row.error) << row.what;
        EXPECT_TRUE(options.command.isEmpty()) << row.what << ": the window, not a request";
    }
}

} // namespace

namespace {

TEST(CommandLineHelp, SaysTheCloudOptionTakesAFileOrAServersAddress) {
    const QString help = CommandLine::parse({"tallybird", "--help"}).helpText;
    const QString option = help.section(QStringLiteral("--cloud"), 1).section(u'\n', 0, 2);
    EXPECT_TRUE(option.startsWith(QStringLiteral(" <container>"))) << option.toStdString();
    for (const char* kind : {"file", "postgresql://"})
        EXPECT_TRUE(option.contains(QString::fromUtf8(kind))) << kind << "\n"
                                                              << option.toStdString();
}

} // namespace
