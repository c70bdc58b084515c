#include "model/Markdown.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using Markdown::ImportedItem;
using Markdown::ImportResult;

TBItem item(const QString& text, bool done = false, const QString& notes = {}) {
    return {"I-" + text, "L1", text, done, 0, false, std::nullopt, notes};
}

QString noteLine(const QString& id, const QString& when, const QString& author,
                 const QString& text) {
    return id + '\t' + when + '\t' + "U1" + '\t' + author + '\t' + text;
}

TEST(MarkdownTags, FindsTagWordsByUserPerceivedCharacters) {
    // "é" as a combining mark is part of a tag, but a mark on the "#" spoils it; numbers of every
    // kind count; a keycap is one character, not a "#"; any white space separates words.
    const struct {
        QString text;
        QStringList tags;
    } cases[] = {{"milk #dairy #Fresh", {"dairy", "Fresh"}},
                 {"#dup and #dup", {"dup", "dup"}},
                 {"milk #dairy, ##x # a#b #go👍", {}},
                 {"#a-b_c", {"a-b_c"}},
                 {"#e\u0301clair #\u0301abc", {"e\u0301clair"}},
                 {"#½ #Ⅻ #٣٤", {"½", "Ⅻ", "٣٤"}},
                 {"#️⃣", {}},
                 {"#x\n#y\u2028#z\t#w\u3000#v\r\n#u", {"x", "y", "z", "w", "v", "u"}}};
    for (const auto& c : cases)
        EXPECT_EQ(Markdown::tags(c.text), c.tags) << c.text.toStdString();
}

TEST(MarkdownTags, TextWithoutTagsJoinsTheRestWithSingleSpaces) {
    const struct {
        QString text;
        QString expected;
    } cases[] = {{"  #a milk\t\tcold #b\n2L ", "milk cold 2L"},
                 {"milk #dairy,", "milk #dairy,"},
                 {"#½ half", "half"},
                 {"#a #b", "#a #b"}}; // nothing but tags: unchanged
    for (const auto& c : cases)
        EXPECT_EQ(Markdown::textWithoutTags(c.text), c.expected) << c.text.toStdString();
}

TEST(MarkdownExport, WritesHeadingItemsAndLiveNotes) {
    const QString notes = noteLine("N1", "2025-03-14T09:26:53Z", "Ann", "free range") + '\n' +
                          noteLine("N0", "2025-03-13T09:00:00Z", "", "any size") + '\n' +
                          noteLine("N2", "2025-03-15T09:00:00Z", "Bo", "gone") + '\n' +
                          noteLine("~N2", "2025-03-16T09:00:00Z", "Bo", "");
    const QString out =
        Markdown::exportList(QString("Food"), {item("Eggs", true, notes), item("Milk")});
    EXPECT_EQ(out, "# Food\n- [x] Eggs\n  any size\n  Ann: free range\n- [ ] Milk\n");
    EXPECT_EQ(Markdown::exportList(std::nullopt, {}), "");
    EXPECT_EQ(Markdown::exportList(QString(), {item("tea")}), "- [ ] tea\n");
}

TEST(MarkdownExport, LineBreaksInsideFieldsBecomeSpacesAndReadBack) {
    // A note line cannot hold a line feed, so notes are checked with the other breaks only.
    for (const QString br : {"\n", "\r", "\r\n", "\u2028", "\u2029", "\u0085"}) {
        SCOPED_TRACE(QString::number(br[0].unicode(), 16).toStdString());
        const QString nb = br == "\n" ? QStringLiteral(" ") : br;
        const QString notes =
            noteLine("N1", "2025-03-14T09:26:53Z", "Ann" + nb + "Lee", "ask" + nb + "me");
        const QString out =
            Markdown::exportList("Week" + br + "end", {item("oat" + br + "milk #x", true, notes)});
        EXPECT_EQ(out, "# Week end\n- [x] oat milk #x\n  Ann Lee: ask me\n");

        const ImportResult back = Markdown::parse(out);
        EXPECT_EQ(back, (ImportResult{"Week end", {{"oat milk #x", true, {"Ann Lee: ask me"}}}}));
    }
}

TEST(MarkdownImport, CheckboxLinesMustMatchExactly) {
    // Only the first three lines are items; a mark combined onto the x makes another character.
    const ImportResult result = Markdown::parse("# T\n- [ ] milk\n* [X] eggs\n  \t- [ ] tea\n"
                                                "- [ ]    \n-[ ] a\n-  [ ] b\n+ [ ] c\n"
                                                "- [ ]d\n- [  ] e\n- [x\u0301] f");
    EXPECT_EQ(result.items,
              QList<ImportedItem>({{"milk", false, {}}, {"eggs", true, {}}, {"tea", false, {}}}));
}

TEST(MarkdownImport, HeadingsNotesAndStrayLines) {
    const QString text = "  stray note before any item\r\n"
                         "#  \n"
                         "#   Food  \n"
                         "- [ ] milk\n"
                         "\tfull cream\r\n"
                         "\n"
                         "  # Second heading\n"
                         "# Ignored heading\n"
                         "plain words\n"
                         "  \u2003\n"
                         "  - [x] nested\n"
                         "    under nested\n";
    const ImportResult expected{
        QString("Food"),
        {{"milk", false, {"full cream", "# Second heading"}}, {"nested", true, {"under nested"}}}};
    EXPECT_EQ(Markdown::parse(text), expected);
}

TEST(MarkdownPaste, ChecklistWinsOtherwiseOneItemPerLine) {
    EXPECT_EQ(Markdown::parsePasted("# Food\n- [ ] milk"),
              (ImportResult{QString("Food"), {{"milk", false, {}}}}));
    EXPECT_EQ(Markdown::parsePasted("1. eggs\n2. milk\n• bread\n\n-"),
              (ImportResult{std::nullopt,
                            {{"eggs", false, {}}, {"milk", false, {}}, {"bread", false, {}}}}));
    EXPECT_EQ(Markdown::parsePasted("# Food\nmilk"),
              (ImportResult{std::nullopt, {{"# Food", false, {}}, {"milk", false, {}}}}));
}

TEST(MarkdownPaste, SplitsAtEveryNewlineKind) {
    const QString separators[] = {"\n",     "\v",     "\f",     "\r",          "\r\n",
                                  "\u0085", "\u2028", "\u2029", "\n\r\n\u2028"};
    for (const QString& separator : separators) {
        const ImportResult result =
            Markdown::parsePasted("eggs" + separator + "- milk" + separator);
        const QList<ImportedItem> expected{{"eggs", false, {}}, {"milk", false, {}}};
        EXPECT_EQ(result.items, expected)
            << QString::number(separator[0].unicode(), 16).toStdString();
        EXPECT_FALSE(result.title);
    }
}

TEST(MarkdownPaste, BulletsAndNumbering) {
    // One pasted line each; a line left empty gives no item.
    const QString lines[] = {"  - milk ", "* milk", "•  bread",       "- - milk",
                             "-",         "•",      "-milk",          "12. eggs",
                             "1.  eggs ", "1.",     "1) eggs",        "1.eggs",
                             "١. eggs",   "2024",   "3. #dairy milk", "\t "};
    const QString texts[] = {"milk", "milk",    "bread",  "- milk",  "-milk", "eggs",
                             "eggs", "1) eggs", "1.eggs", "١. eggs", "2024",  "#dairy milk"};
    QList<ImportedItem> expected;
    for (const QString& text : texts)
        expected.append({text, false, {}});
    EXPECT_EQ(Markdown::parsePasted(QStringList(std::begin(lines), std::end(lines)).join(u'\n')),
              (ImportResult{std::nullopt, expected}));
}

} // namespace
