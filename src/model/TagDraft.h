#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Editing the tags of an item's text or of the text being typed.
namespace TagDraft {

// The item text after renaming it to `name`: the words of the name (each without one leading
// "#") followed by the tags of `text`, joined by single spaces.
QString replacingName(const QString& name, const QString& text);

// Removes every "#tag" word from `draft`, or appends one when there is none; the words come back
// joined by single spaces.
QString toggle(const QString& tag, const QString& draft);

// The tag name typed into a new-tag field: leading "#" signs dropped, words joined by "-", every
// character a tag cannot hold removed. Nothing when no character is left.
std::optional<QString> newTag(const QString& typed);

// The chips to show: the list's tags, then each further tag of the draft, once.
QStringList chips(const QStringList& listTags, const QString& draft);

} // namespace TagDraft
