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

TEST(ItemNotesLine, SeparatorsBecomeOneSpaceAndTheLineReadsBack) {
    const struct {
        QString text, written;
    } cases[] = {{"milk", "milk"},  {"a\tb", "a b"},      {"a\nb", "a b"},         {"a\rb", "a b"},
                 {"a\r\nb", "a b"}, {"a\r\r\nb", "a  b"}, {"a\u2028b", "a\u2028b"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const QString line =
            ItemNotes::line(note("id\t1", 0, c.text, "a\nb", QStringLiteral("Ann\r\nLee")));
        EXPECT_EQ(line.count(u'\t'), 4);
        EXPECT_FALSE(line.contains(u'\n') || line.contains(u'\r'));
        EXPECT_EQ(ItemNotes::parse(line), QList({note("id 1", 0, c.written, "a b", "Ann Lee")}));
    }
    // Whole seconds in UTC.
    EXPECT_EQ(ItemNotes::line(note("x", 0.75, "t", "u", "n")),
              QStringLiteral("x\t2025-03-14T09:26:53Z\tu\tn\tt"));
}

TEST(ItemNotesRead, OnlyLinesOfFiveFieldsWithAUtcTimeAreRead) {
    // Further TABs belong to the text; four fields or a time with an offset spoil a line.
    const QList<Entry> entries = ItemNotes::parse("a\t2025-03-14T09:26:53Z\t\t\t\n"
                                                  "b\t2025-03-14T09:26:53Z\tu\tn\tt\tu\tv\n"
                                                  "c\t2025-03-14T09:26:53Z\tu\tn\n"
                                                  "d\t2025-03-14T09:26:53+01:00\tu\tn\tt");
    EXPECT_EQ(entries, QList({note("a", 0, ""), note("b", 0, "t\tu\tv", "u", "n")}));
}

TEST(ItemNotesRead, APeersCrlfInsideANoteKeepsTheThreadWhole) {
    // Older peers wrote a CR LF inside a note's text as it was; it must not split the note or
    // swallow the next one.
    const QString raw = "\n\n" + ItemNotes::line(note("a", 0)) +
                        "\n\nb\t2025-03-14T09:27:00Z\tu\tn\tfirst\r\nsecond\n" +
                        ItemNotes::line(note("c", 60));
    const QList<Entry> entries = ItemNotes::parse(raw);
    ASSERT_EQ(ids(entries), QStringList({"a", "b", "c"}));
    EXPECT_EQ(entries[1].text, QStringLiteral("first\r\nsecond"));

    const QString merged = ItemNotes::merged(raw, QString());
    EXPECT_EQ(ItemNotes::parse(merged), entries);
    EXPECT_EQ(ItemNotes::merged(merged, raw), merged);
}

TEST(ItemNotesParse, ADeletionMarkerHidesItsNoteWhereverItStands) {
    const Entry kept = note("k", 5);
    const Entry gone = note("g", 10);
    // The last order has a marker older than its note: it still deletes it.
    for (const QList<Entry>& order : QList<QList<Entry>>{{kept, gone, marker("g", 20)},
                                                         {marker("g", 20), kept, gone},
                                                         {kept, marker("g", 1), gone}}) {
        SCOPED_TRACE(thread(order).toStdString());
        EXPECT_EQ(ItemNotes::parse(thread(order)), QList<Entry>({kept}));
    }
    // A marker for a note that never arrived deletes nothing else.
    EXPECT_EQ(ItemNotes::parse(thread({kept, marker("zzz", 0)})), QList<Entry>({kept}));
}

TEST(ItemNotesParse, SortsByTimeThenIdInTextOrder) {
    // Decomposed "é" sorts after "f"; the ligature before any supplementary character.
    const QString raw = thread({note("late", 100), note("e\u0301", 0), note("\U0001F600", 0),
                                note("f", 0), note("\uFB01", 0), note("early", -100)});
    EXPECT_EQ(ids(ItemNotes::parse(raw)),
              QStringList({"early", "f", "e\u0301", "\uFB01", "\U0001F600", "late"}));
}

TEST(ItemNotesAdding, AppendsTheLineUnlessBlankOrAHundredNotesAreLive) {
    const Entry first = note("a", 0, "  eggs ");
    const Entry second = note("b", 1, "x\r\ny");
    EXPECT_EQ(ItemNotes::adding(first, QString()), ItemNotes::line(first));
    EXPECT_EQ(ItemNotes::adding(second, ItemNotes::line(first)),
              ItemNotes::line(first) + u'\n' + ItemNotes::line(second));
    for (const QString& blank :
         {QString(), QStringLiteral("\n\t \r\n"), QStringLiteral("\u00A0\u3000")})
        EXPECT_FALSE(ItemNotes::adding(note("x", 0, blank), threadOf(1))) << blank.toStdString();

    const Entry next = note("next", 1000);
    EXPECT_TRUE(ItemNotes::adding(next, threadOf(99)));
    EXPECT_FALSE(ItemNotes::adding(next, threadOf(100)));
    // Deleted notes and unreadable lines do not count towards the hundred.
    EXPECT_TRUE(
        ItemNotes::adding(next, threadOf(100) + u'\n' + ItemNotes::line(marker("n3", 500))));
    EXPECT_FALSE(ItemNotes::adding(next, threadOf(100) + "\njunk"));
}

TEST(ItemNotesAdding, LimitCountsUserPerceivedCharactersOfTheWholeThread) {
    for (const QString& filler : {QStringLiteral("a"), QStringLiteral("e\u0301"),
                                  QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467")}) {
        SCOPED_TRACE(filler.toStdString());
        ASSERT_EQ(Unicode::graphemeCount(filler), 1);
        // The existing thread holds the filler too, and a deleted note: both count.
        const QString raw =
            thread({note("a", 0, filler.repeated(10)), marker("a", 1), note("b", 2)});
        // Apart from the fillers everything is ASCII, one character per code unit.
        const qsizetype room = ItemNotes::maxCharacters - (raw.size() - 10 * filler.size() + 10) -
                               1 - ItemNotes::line(note("c", 3, QString())).size();
        const std::optional<QString> result =
            ItemNotes::adding(note("c", 3, filler.repeated(room)), raw);
        ASSERT_TRUE(result);
        EXPECT_EQ(Unicode::graphemeCount(*result), ItemNotes::maxCharacters);
        EXPECT_FALSE(ItemNotes::adding(note("c", 3, filler.repeated(room + 1)), raw));
    }
}

TEST(ItemNotesMerged, KeepsEveryDistinctLineOnceInTimeOrder) {
    const QString shared = thread({note("a", 0), note("b", 10)});
    const QString here = shared + u'\n' + ItemNotes::line(note("c", 20));
    const QString there = shared + u'\n' + thread({note("d", 5), marker("a", 30)});
    const QString expected =
        thread({note("a", 0), note("d", 5), note("b", 10), note("c", 20), marker("a", 30)});
    EXPECT_EQ(ItemNotes::merged(here, there), expected);
    EXPECT_EQ(ItemNotes::merged(there, here), expected);
    // The deletion made on one side wins over the note kept on the other.
    EXPECT_EQ(ids(ItemNotes::parse(expected)), QStringList({"d", "b", "c"}));

    const QString unsorted = thread({note("b", 10), note("a", 0), note("b", 10)});
    EXPECT_EQ(ItemNotes::merged(unsorted, unsorted), shared);
    EXPECT_EQ(ItemNotes::merged("\n\n", QString()), QString());
}

TEST(ItemNotesMerged, SameTimeLinesSortByNormalisedTextAndUnreadableOnesGoLast) {
    // Two lines that differ only in how "é" is encoded compare equal: the first seen stays first.
    const QString composed = ItemNotes::line(note("x", 0, "caf\u00E9"));
    const QString decomposed = ItemNotes::line(note("x", 0, "cafe\u0301"));
    const QString plainF = ItemNotes::line(note("x", 0, "caff"));
    const QString fourFields = "z\t2025-03-14T09:26:53Z\tu\tn";
    const QString badDate = "y\tnot a date\tu\tn\tt";
    const QString farFuture = ItemNotes::line(note("late", 1.0e9));
    EXPECT_EQ(
        ItemNotes::merged(fourFields + u'\n' + composed + u'\n' + farFuture,
                          badDate + u'\n' + decomposed + u'\n' + plainF),
        QStringList({plainF, composed, decomposed, farFuture, badDate, fourFields}).join(u'\n'));
    EXPECT_EQ(ItemNotes::merged(decomposed, composed + u'\n' + plainF),
              QStringList({plainF, decomposed, composed}).join(u'\n'));
}

} // namespace
