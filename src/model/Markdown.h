#pragma once

#include "model/TBItem.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The tag rule (tags are words of an item's text: "#" followed by letters, numbers, "-" or "_")
// and the Markdown checklist form in which a list is exported and items are imported.
namespace Markdown {

struct ImportedItem {
    QString text; // tags included
    bool done = false;
    QStringList notes; // one per imported note line, in file order
    bool operator==(const ImportedItem&) const = default;
};

struct ImportResult {
    std::optional<QString> title;
    QList<ImportedItem> items;
    bool operator==(const ImportResult&) const = default;
};

// The tag names of a text (without "#"), in order of appearance, duplicates and case kept.
QStringList tags(const QString& text);

// Whether one word (no white space in it) is a tag word.
bool isTag(const QString& word);

// Whether one user-perceived character may stand in a tag name: a letter, a number of any script
// (fractions and Roman numerals too), "-" or "_".
bool isTagCharacter(const QString& character);

// The text with its tag words removed and the remaining words joined by single spaces; the text
// itself when nothing but tags (or nothing) is in it.
QString textWithoutTags(const QString& text);

// The list as a Markdown checklist: an optional "# name" line, one "- [x] text" line per item and
// its live notes indented under it. Line breaks inside names, texts and notes become spaces so
// that the file reads back as the same items.
QString exportList(const std::optional<QString>& name, const QList<TBItem>& items);

// Reads a Markdown checklist: the first "# " heading is the title, checkbox lines are items and
// indented lines below an item are its notes.
ImportResult parse(const QString& text);

// Reads pasted text: a checklist when it holds one, otherwise one item per non-empty line with
// bullets and "1. " numbering removed.
ImportResult parsePasted(const QString& text);

} // namespace Markdown
