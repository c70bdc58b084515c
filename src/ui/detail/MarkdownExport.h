#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// A list's Markdown on its way out of the program: the name proposed for its file, the file
// written, and the mail link that hands it to the user's mail program.
namespace MarkdownExport {

// The file name (without extension) proposed for a list: "/", NUL and other control characters
// become "-", leading dots are dropped, the name is cut to at most 250 bytes of UTF-8 between
// two user-perceived characters, and an empty name becomes "List".
QString fileName(const std::optional<QString>& listName);
// The same with the Markdown extension: "Groceries.md".
QString fileNameWithExtension(const std::optional<QString>& listName);
constexpr qsizetype maxNameBytes = 250;

// Replaces the file at `path` with `bytes`, whole or not at all (DurableFile). False when any step
// failed: the old file, if any, is left as it was.
bool write(const QString& path, const QByteArray& bytes);

// "mailto:?body=…" with the Markdown as the message's body, nothing else filled in.
QUrl mailLink(const QString& markdown);

} // namespace MarkdownExport
