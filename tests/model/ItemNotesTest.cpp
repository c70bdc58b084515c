#include "model/ItemNotes.h"

#include "platform/Unicode.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

using ItemNotes::Entry;

const Date base = *Date::fromIso8601(QStringLiteral("2025-03-14T09:26:53Z"));

Entry note(const QString& id, double secondsAfterBase, const QString& text = QStringLiteral("hi"),
           const QString& authorID = {}, const QString& authorName = {}) {
    return {id, base.addingSeconds(secondsAfterBase), authorID, authorName, text};
}

Entry marker(const QString& deletedID, double secondsAfterBase) {
    return note(QStringLiteral("~") + deletedID, secondsAfterBase, QString());
}

QString thread(const QList<Entry>& entries) {
    QStringList lines;
    for (const Entry& e : entries)
        lines.append(ItemNotes::line(e));
    return lines.join(u'\n');
}

QStringList ids(const QList<Entry>& entries) {
    QStringList out;
    for (const Entry& e : entries)
        out.append(e.id);
    return out;
}

// A thread of `count` notes with ids n0, n1, ... one second apart.
QString threadOf(int count) {
    QList<Entry> entries;
    for (int i = 0; i < count; ++i)
        entries.append(note(QStringLiteral("n%1").arg(i), i));
    return thread(entries);
}

// ---- Writing and reading one line ----

struct FlattenCase {
    const char* name;
    QString text;
    QString written;
};

class ItemNotesLine : public testing::TestWithParam<FlattenCase> {};

TEST_P(ItemNotesLine, SeparatorsBecomeOneSpaceAndTheLineReadsBack) {
    const FlattenCase& c = GetParam();
    Entry entry = note(QStringLiteral("id\t1"), 0, c.text, QStringLiteral("a\nb"),
                       QStringLiteral("Ann\r\nLee"));
    const QString line = ItemNotes::line(entry);
    EXPECT_EQ(line.count(u'\t'), 4);
    EXPECT_FALSE(line.contains(u'\n'));
    EXPECT_FALSE(line.contains(u'\r'));

    const QList<Entry> read = ItemNotes::parse(line);
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read[0].id, QStringLiteral("id 1"));
    EXPECT_EQ(read[0].authorID, QStringLiteral("a b"));
    EXPECT_EQ(read[0].authorName, QStringLiteral("Ann Lee"));
    EXPECT_EQ(read[0].text, c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ItemNotesLine,
    testing::Values(FlattenCase{"plain", QStringLiteral("milk"), QStringLiteral("milk")},
                    FlattenCase{"tab", QStringLiteral("a\tb"), QStringLiteral("a b")},
                    FlattenCase{"lineFeed", QStringLiteral("a\nb"), QStringLiteral("a b")},
                    FlattenCase{"carriageReturn", QStringLiteral("a\rb"), QStringLiteral("a b")},
                    FlattenCase{"crlfIsOneSpace", QStringLiteral("a\r\nb"), QStringLiteral("a b")},
                    FlattenCase{"crThenCrlf", QStringLiteral("a\r\r\nb"), QStringLiteral("a  b")},
                    FlattenCase{"lineSeparatorKept", QStringLiteral("a\u2028b"),
                                QStringLiteral("a\u2028b")}),
    [](const testing::TestParamInfo<FlattenCase>& info) { return info.param.name; });

TEST(ItemNotesLine, WritesWholeSecondsInUtc) {
    Entry entry = note(QStringLiteral("x"), 0.75, QStringLiteral("t"), QStringLiteral("u"),
                       QStringLiteral("n"));
    EXPECT_EQ(ItemNotes::line(entry), QStringLiteral("x\t2025-03-14T09:26:53Z\tu\tn\tt"));
}

struct ReadCase {
    const char* name;
    QString line;
    bool readable;
    QString text;
};

class ItemNotesRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ItemNotesRead, OnlyFiveFieldsWithAValidTimeRead) {
    const ReadCase& c = GetParam();
    const QList<Entry> entries = ItemNotes::parse(c.line);
    ASSERT_EQ(entries.size(), c.readable ? 1 : 0);
    if (c.readable) {
        EXPECT_EQ(entries[0].text, c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ItemNotesRead,
    testing::Values(
        ReadCase{"fiveFields", QStringLiteral("a\t2025-03-14T09:26:53Z\tu\tn\tt"), true, "t"},
        ReadCase{"emptyFields", QStringLiteral("a\t2025-03-14T09:26:53Z\t\t\t"), true, ""},
        ReadCase{"extraTabsStayInText", QStringLiteral("a\t2025-03-14T09:26:53Z\tu\tn\tt\tu\tv"),
                 true, "t\tu\tv"},
        ReadCase{"fourFields", QStringLiteral("a\t2025-03-14T09:26:53Z\tu\tn"), false, ""},
        ReadCase{"offsetZone", QStringLiteral("a\t2025-03-14T09:26:53+01:00\tu\tn\tt"), false, ""}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(ItemNotesRead, APeersCrlfInsideANoteKeepsTheThreadWhole) {
    // Older peers wrote a CR LF inside a note's text as it was; it must not split the note or
    // swallow the next one.
    const QString peerLine = QStringLiteral("b\t2025-03-14T09:27:00Z\tu\tn\tfirst\r\nsecond");
    const QString raw = QStringLiteral("\n\n") + ItemNotes::line(note(QStringLiteral("a"), 0)) +
                        QStringLiteral("\n\n") + peerLine + u'\n' +
                        ItemNotes::line(note(QStringLiteral("c"), 60));
    const QList<Entry> entries = ItemNotes::parse(raw);
    ASSERT_EQ(ids(entries), QStringList({"a", "b", "c"}));
    EXPECT_EQ(entries[1].text, QStringLiteral("first\r\nsecond"));

    const QString merged = ItemNotes::merged(raw, QString());
    EXPECT_EQ(ItemNotes::parse(merged), entries);
    EXPECT_EQ(ItemNotes::merged(merged, raw), merged);
}

// ---- The live notes of a thread ----

TEST(ItemNotesParse, ADeletionMarkerHidesItsNoteWhereverItStands) {
    const Entry kept = note(QStringLiteral("k"), 5);
    const Entry gone = note(QStringLiteral("g"), 10);
    const QList<QList<Entry>> orders{
        {kept, gone, marker("g", 20)},
        {marker("g", 20), kept, gone},
        {kept, marker("g", 1), gone}, // a marker older than its note still deletes it
    };
    for (const QList<Entry>& order : orders) {
        SCOPED_TRACE(thread(order).toStdString());
        EXPECT_EQ(ItemNotes::parse(thread(order)), QList<Entry>({kept}));
    }
    EXPECT_TRUE(ItemNotes::parse(thread({marker("g", 0), gone})).isEmpty());
    // A marker for a note that never arrived deletes nothing else.
    EXPECT_EQ(ItemNotes::parse(thread({kept, marker("zzz", 0)})), QList<Entry>({kept}));
}

TEST(ItemNotesParse, SortsByTimeThenIdInTextOrder) {
    const QString decomposedE = QStringLiteral("e\u0301"); // sorts as "é", after "f"
    const QString ligature = QStringLiteral("\uFB01");     // before any supplementary character
    const QString emoji = QStringLiteral("\U0001F600");
    const QString raw = thread({note(QStringLiteral("late"), 100), note(decomposedE, 0),
                                note(emoji, 0), note(QStringLiteral("f"), 0), note(ligature, 0),
                                note(QStringLiteral("early"), -100)});
    const QStringList expected{"early", "f", decomposedE, ligature, emoji, "late"};
    EXPECT_EQ(ids(ItemNotes::parse(raw)), expected);
}

// ---- Adding a note ----

TEST(ItemNotesAdding, AppendsTheLineWithItsTextUntrimmed) {
    const Entry first = note(QStringLiteral("a"), 0, QStringLiteral("  eggs "));
    EXPECT_EQ(ItemNotes::adding(first, QString()), ItemNotes::line(first));
    const Entry second = note(QStringLiteral("b"), 1, QStringLiteral("x\r\ny"));
    EXPECT_EQ(ItemNotes::adding(second, ItemNotes::line(first)),
              ItemNotes::line(first) + u'\n' + ItemNotes::line(second));
}

TEST(ItemNotesAdding, RefusesBlankText) {
    for (const QString& blank : {QString(), QStringLiteral("   "), QStringLiteral("\n\t \r\n"),
                                 QStringLiteral("\u00A0\u3000")}) {
        SCOPED_TRACE(blank.toStdString());
        EXPECT_FALSE(ItemNotes::adding(note(QStringLiteral("x"), 0, blank), threadOf(1)));
    }
}

TEST(ItemNotesAdding, AllowsAtMostAHundredLiveNotes) {
    const Entry next = note(QStringLiteral("next"), 1000);
    EXPECT_TRUE(ItemNotes::adding(next, threadOf(99)));
    EXPECT_FALSE(ItemNotes::adding(next, threadOf(100)));
    // Deleted notes and unreadable lines do not count towards the hundred.
    const QString withDeletion = threadOf(100) + u'\n' + ItemNotes::line(marker("n3", 500));
    EXPECT_TRUE(ItemNotes::adding(next, withDeletion));
    EXPECT_FALSE(ItemNotes::adding(next, threadOf(100) + QStringLiteral("\njunk")));
}

struct LimitCase {
    const char* name;
    QString filler; // one user-perceived character
};

class ItemNotesLimit : public testing::TestWithParam<LimitCase> {};

TEST_P(ItemNotesLimit, CountsUserPerceivedCharactersOfTheWholeThread) {
    const QString& filler = GetParam().filler;
    ASSERT_EQ(Unicode::graphemeCount(filler), 1);
    // The existing thread holds the filler too, and a deleted note: both count.
    const QString raw = thread({note(QStringLiteral("a"), 0, filler.repeated(10)),
                                marker(QStringLiteral("a"), 1), note(QStringLiteral("b"), 2)});
    const Entry empty = note(QStringLiteral("c"), 3, QString());
    // Apart from the ten fillers everything is ASCII, one character per code unit.
    const qsizetype fixed =
        raw.size() - 10 * filler.size() + 10 + 1 + ItemNotes::line(empty).size();
    const qsizetype room = ItemNotes::maxCharacters - fixed;

    Entry fits = empty;
    fits.text = filler.repeated(room);
    const std::optional<QString> result = ItemNotes::adding(fits, raw);
    ASSERT_TRUE(result);
    EXPECT_EQ(Unicode::graphemeCount(*result), ItemNotes::maxCharacters);

    Entry tooLong = empty;
    tooLong.text = filler.repeated(room + 1);
    EXPECT_FALSE(ItemNotes::adding(tooLong, raw));
}

INSTANTIATE_TEST_SUITE_P(
    Characters, ItemNotesLimit,
    testing::Values(LimitCase{"ascii", QStringLiteral("a")},
                    LimitCase{"combiningMark", QStringLiteral("e\u0301")},
                    LimitCase{"family",
                              QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467")}),
    [](const testing::TestParamInfo<LimitCase>& info) { return info.param.name; });

// ---- Merging two versions ----

TEST(ItemNotesMerged, KeepsEveryDistinctLineOnceInTimeOrder) {
    const QString shared = thread({note("a", 0), note("b", 10)});
    const QString here = shared + u'\n' + ItemNotes::line(note("c", 20));
    const QString there =
        shared + u'\n' + ItemNotes::line(note("d", 5)) + u'\n' + ItemNotes::line(marker("a", 30));
    const QString expected =
        thread({note("a", 0), note("d", 5), note("b", 10), note("c", 20), marker("a", 30)});
    EXPECT_EQ(ItemNotes::merged(here, there), expected);
    EXPECT_EQ(ItemNotes::merged(there, here), expected);
    // The deletion made on one side wins over the note kept on the other.
    EXPECT_EQ(ids(ItemNotes::parse(expected)), QStringList({"d", "b", "c"}));
}

TEST(ItemNotesMerged, SelfAndEmptyMerges) {
    const QString unsorted = thread({note("b", 10), note("a", 0), note("b", 10)});
    EXPECT_EQ(ItemNotes::merged(unsorted, unsorted), thread({note("a", 0), note("b", 10)}));
    EXPECT_EQ(ItemNotes::merged(QString(), QString()), QString());
    EXPECT_EQ(ItemNotes::merged(QStringLiteral("\n\n"), QString()), QString());
}

TEST(ItemNotesMerged, UnreadableLinesGoLastInTextOrder) {
    const QString fourFields = QStringLiteral("z\t2025-03-14T09:26:53Z\tu\tn");
    const QString badDate = QStringLiteral("y\tnot a date\tu\tn\tt");
    const QString farFuture = ItemNotes::line(note("late", 1.0e9));
    const QString raw = fourFields + u'\n' + farFuture + u'\n' + badDate;
    EXPECT_EQ(ItemNotes::merged(raw, QString()),
              QStringList({farFuture, badDate, fourFields}).join(u'\n'));
}

TEST(ItemNotesMerged, SameTimeLinesSortByTextAfterNormalisation) {
    // Two lines that differ only in how "é" is encoded compare equal: the first seen stays first.
    const QString composed = ItemNotes::line(note("x", 0, QStringLiteral("caf\u00E9")));
    const QString decomposed = ItemNotes::line(note("x", 0, QStringLiteral("cafe\u0301")));
    const QString plainF = ItemNotes::line(note("x", 0, QStringLiteral("caff")));
    EXPECT_EQ(ItemNotes::merged(composed, decomposed + u'\n' + plainF),
              QStringList({plainF, composed, decomposed}).join(u'\n'));
    EXPECT_EQ(ItemNotes::merged(decomposed, composed + u'\n' + plainF),
              QStringList({plainF, decomposed, composed}).join(u'\n'));
}

} // namespace
