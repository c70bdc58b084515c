#include "model/Markdown.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using Markdown::ImportedItem;
using Markdown::ImportResult;

TBItem item(const QString& text, bool done = false, const QString& notes = {}) {
    TBItem result;
    result.id = "I-" + text;
    result.listID = "L1";
    result.text = text;
    result.done = done;
    result.notes = notes;
    return result;
}

QString noteLine(const QString& id, const QString& when, const QString& author,
                 const QString& text) {
    return id + '\t' + when + '\t' + "U1" + '\t' + author + '\t' + text;
}

TEST(MarkdownTags, FindsTagWordsByUserPerceivedCharacters) {
    const struct {
        QString text;
        QStringList tags;
    } cases[] = {
        {"milk #dairy #Fresh", {"dairy", "Fresh"}},
        {"#dup and #dup", {"dup", "dup"}},
        {"milk #dairy,", {}},
        {"##x", {}},
        {"#", {}},
        {"#dairy#x", {}},
        {"a#b", {}},
        {"#1", {"1"}},
        {"#a-b_c", {"a-b_c"}},
        {"#crème", {"crème"}},
        {"#e\u0301clair", {"e\u0301clair"}}, // accent as a combining mark
        {"#\u0301abc", {}},                  // the mark sits on the "#"
        {"#½ #Ⅻ #٣٤", {"½", "Ⅻ", "٣٤"}},     // numbers of every kind
        {"#👍🏽", {}},
        {"#go👍", {}},
        {"#️⃣", {}}, // keycap: one character, not a "#"
        {"#x\n#y\u2028#z\t#w\u3000#v\r\n#u", {"x", "y", "z", "w", "v", "u"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Markdown::tags(c.text), c.tags) << c.text.toStdString();
}

TEST(MarkdownTags, TextWithoutTagsJoinsTheRestWithSingleSpaces) {
    const struct {
        QString text;
        QString expected;
    } cases[] = {
        {"milk  #dairy\n2L", "milk 2L"},
        {"  #a milk\t\tcold #b ", "milk cold"},
        {"#a #b", "#a #b"}, // nothing but tags: unchanged
        {"", ""},
        {"milk #dairy,", "milk #dairy,"},
        {"#½ half", "half"},
    };
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
    EXPECT_EQ(out, "# Food\n"
                   "- [x] Eggs\n"
                   "  any size\n"
                   "  Ann: free range\n"
                   "- [ ] Milk\n");
    EXPECT_EQ(Markdown::exportList(std::nullopt, {}), "");
    EXPECT_EQ(Markdown::exportList(QString(), {item("tea")}), "- [ ] tea\n");
}

TEST(MarkdownExport, LineBreaksInsideFieldsBecomeSpacesAndReadBack) {
    // A note line cannot hold a line feed, so notes are checked with the other breaks only.
    const struct {
        QString lineBreak;
        bool inNote;
    } cases[] = {{"\n", false},    {"\r", true},     {"\r\n", true},
                 {"\u2028", true}, {"\u2029", true}, {"\u0085", true}};
    for (const auto& c : cases) {
        const QString br = c.lineBreak;
        SCOPED_TRACE(QString::number(br[0].unicode(), 16).toStdString());
        const QString notes =
            c.inNote ? noteLine("N1", "2025-03-14T09:26:53Z", "Ann" + br + "Lee", "ask" + br + "me")
                     : noteLine("N1", "2025-03-14T09:26:53Z", "Ann Lee", "ask me");
        const QString out =
            Markdown::exportList("Week" + br + "end", {item("oat" + br + "milk", false, notes)});
        EXPECT_EQ(out, "# Week end\n- [ ] oat milk\n  Ann Lee: ask me\n");

        const ImportResult back = Markdown::parse(out);
        EXPECT_EQ(back.title, QString("Week end"));
        ASSERT_EQ(back.items.size(), 1);
        EXPECT_EQ(back.items[0], (ImportedItem{"oat milk", false, {"Ann Lee: ask me"}}));
    }
}

TEST(MarkdownImport, ReadsItsOwnExport) {
    const QString notes = noteLine("N1", "2025-03-14T09:26:53Z", "Ann", "free range");
    const QList<TBItem> items{item("Eggs #dairy", true, notes), item("Milk"), item("½ loaf #Ⅻ")};
    const ImportResult back = Markdown::parse(Markdown::exportList(QString("Food"), items));
    const ImportResult expected{QString("Food"),
                                {{"Eggs #dairy", true, {"Ann: free range"}},
                                 {"Milk", false, {}},
                                 {"½ loaf #Ⅻ", false, {}}}};
    EXPECT_EQ(back, expected);
}

TEST(MarkdownImport, CheckboxLinesMustMatchExactly) {
    const struct {
        QString line;
        std::optional<ImportedItem> item;
    } cases[] = {
        {"- [ ] milk", ImportedItem{"milk", false, {}}},
        {"- [x] milk", ImportedItem{"milk", true, {}}},
        {"* [X] eggs", ImportedItem{"eggs", true, {}}},
        {"  \t- [ ] milk", ImportedItem{"milk", false, {}}}, // indented: still an item
        {"- [x]", std::nullopt},
        {"- [ ]    ", std::nullopt},
        {"-[ ] milk", std::nullopt},
        {"-  [ ] milk", std::nullopt},
        {"+ [ ] milk", std::nullopt},
        {"- [ ]milk", std::nullopt},
        {"- [  ] milk", std::nullopt},
        {"- [x\u0301] milk", std::nullopt}, // a mark on the x makes another character
    };
    for (const auto& c : cases) {
        // A title line first, so a rejected line is not mistaken for anything else.
        const ImportResult result = Markdown::parse("# T\n" + c.line);
        QList<ImportedItem> expected;
        if (c.item)
            expected.append(*c.item);
        EXPECT_EQ(result.items, expected) << c.line.toStdString();
    }
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
    const struct {
        QString line;
        QString text; // empty: no item
    } cases[] = {
        {"  - milk ", "milk"},
        {"* milk", "milk"},
        {"•  bread", "bread"},
        {"- - milk", "- milk"},
        {"-", ""},
        {"•", ""},
        {"*", ""},
        {"-milk", "-milk"},
        {"12. eggs", "eggs"},
        {"1.  eggs ", "eggs"},
        {"1.", ""},
        {"1. ", ""},
        {"1) eggs", "1) eggs"},
        {"1.eggs", "1.eggs"},
        {"1 eggs", "1 eggs"},
        {"١. eggs", "١. eggs"},
        {"2024", "2024"},
        {"3. #dairy milk", "#dairy milk"},
        {"\t ", ""},
    };
    for (const auto& c : cases) {
        QList<ImportedItem> expected;
        if (!c.text.isEmpty())
            expected.append({c.text, false, {}});
        EXPECT_EQ(Markdown::parsePasted(c.line).items, expected) << c.line.toStdString();
    }
}

} // namespace
