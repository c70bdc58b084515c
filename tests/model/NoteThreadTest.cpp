#include "model/NoteThread.h"
#include "model/ItemNotes.h"
#include "model/NoteAuthor.h"

#include "platform/Defaults.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <memory>

namespace {

using Marker = NoteThread::Row::Marker;

const Date threadStart = *Date::fromIso8601(QStringLiteral("2025-03-14T09:26:53Z"));
const QString annLee = QStringLiteral("Ann Lee");
const QSet<QString> me{QStringLiteral("_me"), QStringLiteral("_meToo")};

QString threadLine(const QString& id, const QString& authorID, const QString& authorName,
                   double secondsAfterStart = 0, const QString& text = QStringLiteral("note")) {
    return ItemNotes::line(
        {id, threadStart.addingSeconds(secondsAfterStart), authorID, authorName, text});
}

TEST(NoteThread, MarkerAndDeleteRightFollowAuthorship) {
    const struct {
        const char* name;
        bool shared;
        QString authorID, authorName;
        QSet<QString> me;
        Marker marker;
        bool canDelete;
    } cases[] = {
        {"unsharedOthersNote", false, "_ann", annLee, me, Marker::none(), true},
        {"unsharedUserUnknown", false, "_ann", annLee, {}, Marker::none(), true},
        {"sharedOwnNote", true, "_meToo", "Me", me, Marker::none(), true},
        {"sharedOthersNote", true, "_ann", annLee, me, Marker::withInitials("AL"), false},
        {"sharedOthersNoteNoName", true, "_ann", "", me, Marker::person(), false},
        {"sharedAnonymousNote", true, "", annLee, me, Marker::none(), true},
        {"sharedAnonymousUserUnknown", true, "", "", {}, Marker::none(), true},
        {"sharedUserUnknown", true, "_ann", annLee, {}, Marker::none(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const NoteThread thread(threadLine("n", c.authorID, c.authorName), c.shared, c.me);
        ASSERT_EQ(thread.rows.size(), 1);
        EXPECT_EQ(thread.rows[0].marker, c.marker);
        EXPECT_EQ(thread.rows[0].canDelete, c.canDelete);
    }
}

TEST(NoteThread, RowsCarryTheLiveNotesInThreadOrder) {
    const QString raw =
        QStringList({threadLine("late", "_ann", annLee, 60), threadLine("gone", "_me", "Me", 10),
                     threadLine("early", "", "", 0), threadLine("~gone", "_me", "Me", 20)})
            .join(u'\n');
    const NoteThread thread(raw, true, me);
    ASSERT_EQ(thread.rows.size(), 2);
    EXPECT_EQ(thread.rows[0].id, QStringLiteral("early"));
    EXPECT_EQ(thread.rows[0].initials, QStringLiteral("?"));
    const Date lateAt = threadStart.addingSeconds(60);
    const NoteThread::Row late{
        "late", "_ann", annLee, "AL", "note", lateAt, Marker::withInitials("AL"), false};
    EXPECT_EQ(thread.rows[1], late);
}

TEST(NoteThread, CanAddBelowAHundredNotesAndEightThousandCharacters) {
    QStringList lines;
    for (int i = 0; i < 100; ++i)
        lines.append(threadLine(QStringLiteral("n%1").arg(i), {}, {}));
    EXPECT_TRUE(NoteThread(QString(), false, {}).canAdd);
    EXPECT_TRUE(NoteThread(lines.mid(1).join(u'\n'), false, {}).canAdd);
    EXPECT_FALSE(NoteThread(lines.join(u'\n'), false, {}).canAdd);

    // One note filling the thread to exactly the limit, counted in user-perceived characters.
    const QString emoji = QStringLiteral("\U0001F44D\U0001F3FD");
    const qsizetype room = ItemNotes::maxCharacters - threadLine("n", {}, {}, 0, {}).size();
    EXPECT_FALSE(NoteThread(threadLine("n", {}, {}, 0, emoji.repeated(room)), false, {}).canAdd);
    EXPECT_TRUE(NoteThread(threadLine("n", {}, {}, 0, emoji.repeated(room - 1)), false, {}).canAdd);
}

TEST(NoteAuthor, PreferredNameIsStoredTrimmed) {
    const auto defaults = std::make_shared<MemoryDefaults>();
    EXPECT_EQ(NoteAuthor::preferredName(*defaults), QString());
    defaults->setString(QStringLiteral("notes.authorName"), QStringLiteral("\u00A0Bo \r\n"));
    EXPECT_EQ(NoteAuthor::preferredName(*defaults), QStringLiteral("Bo"));

    NoteAuthor::setPreferredName(*defaults, QStringLiteral("  Ann Lee\n"));
    EXPECT_EQ(defaults->string(QStringLiteral("notes.authorName")), annLee);
    NoteAuthor::setPreferredName(*defaults, QStringLiteral(" \t \n"));
    EXPECT_EQ(defaults->string(QStringLiteral("notes.authorName")), QString(""));
}

TEST(NoteAuthor, FormattedGivesATrimmedNameOrNothing) {
    EXPECT_EQ(NoteAuthor::formatted(std::nullopt), std::nullopt);
    PersonNameComponents name;
    name.givenName = QStringLiteral("  ");
    name.familyName = QStringLiteral("\n");
    EXPECT_EQ(NoteAuthor::formatted(name), std::nullopt);
    name.givenName = QStringLiteral(" Ann");
    name.familyName = QStringLiteral("Lee\n");
    EXPECT_EQ(NoteAuthor::formatted(name), annLee);
}

} // namespace
