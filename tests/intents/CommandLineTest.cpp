// The command line without a running program: parameters, questions, exit codes.
#include "CommandLineFixture.h"

#include <QFile>

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
        seed.release();
    }
    QString groceries, work, otherWork, oat1, oat2;
};

TEST_F(CommandLineRequests, ScriptedParametersThatAreWrongExitWithTwoAndSayNothing) {
    struct Case {
        QStringList words;
        const char* note; // the first note
    } cases[] = {
        {{"add", "--list", "Garden", "eggs"}, "No list answers to “Garden”."},
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
        {{"say", "Read Garden in Tallybird"}, "No list answers to “Garden”."},
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

TEST_F(CommandLineRequests, AnAmbiguousListNameListsTheCandidatesWithTheirIds) {
    EXPECT_EQ(typed({"read", "--list", "Work"}), CommandLine::ok) << "the exact name wins";
    EXPECT_EQ(console.said, QStringList{"Nothing left on Work."});
    EXPECT_EQ(typed({"read", "--list", "WORK"}), CommandLine::badParameter);
    EXPECT_EQ(console.notes,
              QStringList({"Several lists answer to “WORK”:", "  " + work + "  Work",
                           "  " + otherWork + "  work", "Choose one with --list-id ID."}));
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
}

TEST_F(CommandLineRequests, EndOfInputAtAQuestionCancelsWithoutAChange) {
    console.isInteractive = true;
    console.input = {};
    EXPECT_EQ(typed({"add", "--list", "Groceries"}), CommandLine::failed);
    EXPECT_EQ(console.said, QStringList{"What would you like to add?"});
    EXPECT_EQ(typed({"tick", "--list", "Groceries", "oat milk"}), CommandLine::failed);
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk"}));
    EXPECT_FALSE(voiceFlag());
}

TEST_F(CommandLineRequests, WhichOneIsAnsweredByChoiceAndTicksThatItem) {
    EXPECT_EQ(typed({"tick", "--list", "Groceries", "--choose", "2", "OAT MILK"}), CommandLine::ok);
    EXPECT_EQ(console.said, QStringList({"Which one?", "Ticked off oat milk."}));
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk ✓"}));

    // Now only one open item answers.
    EXPECT_EQ(typed({"tick", "--list", "Groceries", "oat milk"}), CommandLine::ok);
    EXPECT_EQ(console.said, QStringList({"Ticked off Oat milk."}));
}

TEST_F(CommandLineRequests, WhichOneOnATerminal) {
    console.isInteractive = true;
    console.input = {"1"};
    EXPECT_EQ(typed({"tick", "--list", "Groceries", "oat milk"}), CommandLine::ok);
    EXPECT_EQ(console.said, QStringList({"Which one?", "Ticked off Oat milk."}));
    EXPECT_EQ(console.notes, QStringList({"  1. Oat milk", "  2. oat milk"}));
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk ✓", "oat milk"}));
}

TEST_F(CommandLineRequests, WhichOneWithNobodyToAskExitsThreeAndChangesNothing) {
    EXPECT_EQ(typed({"tick", "--list", "Groceries", "oat milk"}), CommandLine::cannotAsk);
    EXPECT_EQ(console.said, QStringList{"Which one?"});
    EXPECT_EQ(console.notes,
              QStringList({"  1. Oat milk", "  2. oat milk", "Choose one with --choose N."}));

    EXPECT_EQ(typed({"tick", "--list", "Groceries", "--choose", "3", "oat milk"}),
              CommandLine::badParameter);
    EXPECT_EQ(console.notes, QStringList({"There is no choice 3: choose 1 to 2."}));
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk"}));
    EXPECT_FALSE(voiceFlag());
}

TEST_F(CommandLineRequests, ALongReadAsksFirst) {
    Seed seed(openStore());
    for (const char* text : {"eggs", "milk", "bread"})
        seed.item(groceries, text);
    seed.release();
    const QString question = "Five things left on Groceries. Shall I read them?";
    const QString all = "Oat milk, oat milk, eggs, milk and bread.";

    struct Case {
        QStringList flags;
        bool interactive;
        QStringList input;
        int code;
        QStringList said;
    } cases[] = {
        {{"--yes"}, false, {}, CommandLine::ok, {question, all}},
        {{"--no"}, false, {}, CommandLine::ok, {question}},
        {{}, false, {}, CommandLine::cannotAsk, {question}},
        {{}, true, {"maybe", "Y"}, CommandLine::ok, {question, all}},
        {{}, true, {"no"}, CommandLine::ok, {question}},
        {{}, true, {}, CommandLine::failed, {question}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags.join(' ').toStdString() + " " + c.input.join('|').toStdString());
        console.isInteractive = c.interactive;
        console.input = c.input;
        EXPECT_EQ(typed(QStringList{"read", "--list", "Groceries"} + c.flags), c.code);
        EXPECT_EQ(console.said, c.said);
    }
}

TEST_F(CommandLineRequests, AListIdPassesStraightThroughAndWordsMakeOneText) {
    EXPECT_EQ(typed({"add", "--list-id", work, "two", "words"}), CommandLine::ok);
    EXPECT_EQ(console.said, QStringList{"Added two words to Work."});
}

TEST_F(CommandLineRequests, ListsPrintsIdsAndNamesInDisplayOrder) {
    EXPECT_EQ(typed({"lists"}), CommandLine::ok);
    EXPECT_EQ(console.said,
              QStringList({groceries + "\tGroceries", work + "\tWork", otherWork + "\twork"}));
}

TEST_F(CommandLineRequests, AStoreHeldByAnotherWriterIsWaitedForThenReportedAsAFailure) {
    auto holder = openStore(); // holds the lock and does not answer on any socket
    EXPECT_EQ(typed({"add", "--list", "Groceries", "eggs"}), CommandLine::failed);
    EXPECT_TRUE(console.said.isEmpty());
    ASSERT_EQ(console.notes.size(), 1);
    EXPECT_TRUE(console.notes.first().contains("in use by another Tallybird process"));
    // Reading needs no lock.
    EXPECT_EQ(typed({"read", "--list", "Groceries"}), CommandLine::ok);
    holder.reset();
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk"}));
}

TEST_F(CommandLineRequests, AFailedSavePrintsAnErrorInsteadOfTheReply) {
    // The file cannot be replaced: a folder stands in its place.
    const QString path = storePath();
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_EQ(typed({"start", "Packing"}), CommandLine::failed);
    EXPECT_TRUE(console.said.isEmpty());
    EXPECT_EQ(console.notes, QStringList{"The change could not be saved to “" + path + "”."});
    EXPECT_FALSE(voiceFlag());
}

} // namespace
