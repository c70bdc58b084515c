#include "model/NoteThread.h"
#include "model/ItemNotes.h"
#include "model/NoteAuthor.h"
#include "model/PersonDisplay.h"

#include "platform/Defaults.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <memory>

namespace {

using Marker = NoteThread::Row::Marker;

const Date base = *Date::fromIso8601(QStringLiteral("2025-03-14T09:26:53Z"));

QString noteLine(const QString& id, const QString& authorID, const QString& authorName,
                 double secondsAfterBase = 0) {
    return ItemNotes::line(
        {id, base.addingSeconds(secondsAfterBase), authorID, authorName, QStringLiteral("note")});
}

QString threadOf(int count, const QString& text = QStringLiteral("n")) {
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(ItemNotes::line({QStringLiteral("n%1").arg(i), base, {}, {}, text}));
    return lines.join(u'\n');
}

// ---- Badges and delete rights ----

struct RightsCase {
    const char* name;
    bool shared;
    QString authorID;
    QString authorName;
    QSet<QString> me;
    Marker marker;
    bool canDelete;
};

class NoteThreadRights : public testing::TestWithParam<RightsCase> {};

TEST_P(NoteThreadRights, MarkerAndDeleteRightFollowAuthorship) {
    const RightsCase& c = GetParam();
    const NoteThread thread(noteLine("n", c.authorID, c.authorName), c.shared, c.me);
    ASSERT_EQ(thread.rows.size(), 1);
    EXPECT_EQ(thread.rows[0].marker, c.marker);
    EXPECT_EQ(thread.rows[0].canDelete, c.canDelete);
}

const QString annLee = QStringLiteral("Ann Lee");
const QSet<QString> me{QStringLiteral("_me"), QStringLiteral("_meToo")};

INSTANTIATE_TEST_SUITE_P(
    Notes, NoteThreadRights,
    testing::Values(
        RightsCase{"unsharedOthersNote", false, "_ann", annLee, me, Marker::none(), true},
        RightsCase{"unsharedUserUnknown", false, "_ann", annLee, {}, Marker::none(), true},
        RightsCase{"sharedOwnNote", true, "_meToo", "Me", me, Marker::none(), true},
        RightsCase{"sharedOthersNote", true, "_ann", annLee, me,
                   Marker::withInitials(PersonDisplay::initials(annLee)), false},
        RightsCase{"sharedOthersNoteNoName", true, "_ann", "", me, Marker::person(), false},
        RightsCase{"sharedAnonymousNote", true, "", annLee, me, Marker::none(), true},
        RightsCase{"sharedAnonymousUserUnknown", true, "", "", {}, Marker::none(), true},
        RightsCase{"sharedUserUnknown", true, "_ann", annLee, {}, Marker::none(), false}),
    [](const testing::TestParamInfo<RightsCase>& info) { return info.param.name; });

TEST(NoteThread, RowsCarryTheLiveNotesInThreadOrder) {
    const QString raw = noteLine("late", "_ann", annLee, 60) + u'\n' +
                        noteLine("gone", "_me", "Me", 10) + u'\n' + noteLine("early", "", "", 0) +
                        u'\n' + noteLine("~gone", "_me", "Me", 20);
    const NoteThread thread(raw, true, me);
    ASSERT_EQ(thread.rows.size(), 2);
    const NoteThread::Row& early = thread.rows[0];
    EXPECT_EQ(early.id, QStringLiteral("early"));
    EXPECT_EQ(early.initials, PersonDisplay::initials(QString()));
    const NoteThread::Row& late = thread.rows[1];
    EXPECT_EQ(late.id, QStringLiteral("late"));
    EXPECT_EQ(late.authorID, QStringLiteral("_ann"));
    EXPECT_EQ(late.authorName, annLee);
    EXPECT_EQ(late.initials, PersonDisplay::initials(annLee));
    EXPECT_EQ(late.text, QStringLiteral("note"));
    EXPECT_EQ(late.written, base.addingSeconds(60));
}

// ---- Whether another note may be added ----

TEST(NoteThread, CanAddBelowAHundredNotesAndEightThousandCharacters) {
    EXPECT_TRUE(NoteThread(QString(), false, {}).canAdd);
    EXPECT_TRUE(NoteThread(threadOf(99), false, {}).canAdd);
    EXPECT_FALSE(NoteThread(threadOf(100), false, {}).canAdd);

    // One note filling the thread to exactly the limit, counted in user-perceived characters.
    const QString header = ItemNotes::line({QStringLiteral("n"), base, {}, {}, {}});
    const QString emoji = QStringLiteral("\U0001F44D\U0001F3FD");
    const auto oneNote = [&](qsizetype characters) {
        return ItemNotes::line({QStringLiteral("n"), base, {}, {}, emoji.repeated(characters)});
    };
    const qsizetype room = ItemNotes::maxCharacters - header.size();
    EXPECT_FALSE(NoteThread(oneNote(room), false, {}).canAdd);
    EXPECT_TRUE(NoteThread(oneNote(room - 1), false, {}).canAdd);
}

// ---- The author name ----

class NoteAuthorTest : public testing::Test {
protected:
    void SetUp() override {
        defaults = std::make_shared<MemoryDefaults>();
        Defaults::setStandard(defaults);
    }
    void TearDown() override { Defaults::setStandard(std::make_shared<MemoryDefaults>()); }
    std::shared_ptr<MemoryDefaults> defaults;
};

TEST_F(NoteAuthorTest, PreferredNameIsStoredTrimmed) {
    EXPECT_EQ(NoteAuthor::preferredName(), QString());
    defaults->setString(QStringLiteral("notes.authorName"), QStringLiteral("\u00A0Bo \r\n"));
    EXPECT_EQ(NoteAuthor::preferredName(), QStringLiteral("Bo"));

    NoteAuthor::setPreferredName(QStringLiteral("  Ann Lee\n"));
    EXPECT_EQ(defaults->string(QStringLiteral("notes.authorName")), QStringLiteral("Ann Lee"));
    EXPECT_EQ(NoteAuthor::preferredName(), QStringLiteral("Ann Lee"));

    NoteAuthor::setPreferredName(QStringLiteral(" \t \n"));
    EXPECT_EQ(defaults->string(QStringLiteral("notes.authorName")), QString(""));
    EXPECT_EQ(NoteAuthor::preferredName(), QString());
}

TEST(NoteAuthorFormatted, GivesATrimmedNameOrNothing) {
    EXPECT_EQ(NoteAuthor::formatted(std::nullopt), std::nullopt);
    EXPECT_EQ(NoteAuthor::formatted(PersonNameComponents{}), std::nullopt);
    PersonNameComponents blank;
    blank.givenName = QStringLiteral("  ");
    blank.familyName = QStringLiteral("\n");
    EXPECT_EQ(NoteAuthor::formatted(blank), std::nullopt);
    PersonNameComponents ann;
    ann.givenName = QStringLiteral(" Ann");
    ann.familyName = QStringLiteral("Lee\n");
    EXPECT_EQ(NoteAuthor::formatted(ann), QStringLiteral("Ann Lee"));
}

} // namespace
