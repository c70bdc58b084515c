#include "model/Markdown.h"

#include "model/ItemNotes.h"
#include "platform/Unicode.h"

namespace Markdown {

namespace {

// Line breaks inside one field would split it into several lines of the file; each break (a CRLF
// pair counting as one) becomes one space.
QString oneLine(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += u' ';
        } else if (c == u'\n' || c == u'\u2028' || c == u'\u2029' || c == u'\u0085') {
            out += u' ';
        } else {
            out += text[i];
        }
    }
    return out;
}

bool isNewline(char16_t c) {
    return c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r' || c == u'\u0085' ||
           c == u'\u2028' || c == u'\u2029';
}

// "- [ ] text", "* [x] text" or "- [X] text", exactly so, on a line already trimmed of blanks.
// The checks are made on user-perceived characters, so a mark combined onto a bracket or a space
// spoils the line.
std::optional<ImportedItem> checkboxItem(const QString& trimmed, const QStringList& characters) {
    if (characters.size() < 7)
        return std::nullopt;
    const QString& bullet = characters[0];
    const QString& box = characters[3];
    if ((bullet != u"-" && bullet != u"*") || characters[1] != u" " || characters[2] != u"[" ||
        (box != u" " && box != u"x" && box != u"X") || characters[4] != u"]" ||
        characters[5] != u" ")
        return std::nullopt;
    // The six characters checked above are one code unit each.
    const QString text = Unicode::trimBlanks(trimmed.mid(6));
    if (text.isEmpty())
        return std::nullopt;
    return ImportedItem{text, box != u" ", {}};
}

// One pasted line without its bullet or "1. " numbering.
std::optional<ImportedItem> plainItem(const QString& line) {
    QString text = Unicode::trimBlanks(line);
    if (text == u"-" || text == u"*" || text == u"•")
        return std::nullopt;
    const QStringList characters = Unicode::graphemes(text);
    const bool bulleted = characters.size() >= 2 && characters[1] == u" " &&
                          (characters[0] == u"-" || characters[0] == u"*" || characters[0] == u"•");
    if (bulleted) {
        text = text.mid(2);
    } else {
        qsizetype digits = 0;
        while (digits < characters.size() && characters[digits].size() == 1 &&
               characters[digits][0] >= u'0' && characters[digits][0] <= u'9')
            ++digits;
        if (digits > 0) {
            const QStringList rest = characters.mid(digits);
            if (rest.size() >= 2 && rest[0] == u"." && rest[1] == u" ")
                text = text.mid(digits + 2);
            else if (rest.size() == 1 && rest[0] == u".")
                text.clear();
        }
    }
    text = Unicode::trimBlanks(text);
    if (text.isEmpty())
        return std::nullopt;
    return ImportedItem{text, false, {}};
}

} // namespace

bool isTagCharacter(const QString& character) {
    if (character == u"-" || character == u"_")
        return true;
    const char32_t c = Unicode::firstCodePoint(character);
    return Unicode::isAlphabetic(c) || Unicode::isNumeric(c);
}

bool isTag(const QString& word) {
    const QStringList characters = Unicode::graphemes(word);
    if (characters.size() < 2 || characters[0] != u"#")
        return false;
    for (qsizetype i = 1; i < characters.size(); ++i) {
        if (!isTagCharacter(characters[i]))
            return false;
    }
    return true;
}

QStringList tags(const QString& text) {
    QStringList names;
    for (const QString& word : Unicode::splitAtWhiteSpace(text)) {
        if (isTag(word))
            names.append(word.mid(1)); // "#" is one code unit
    }
    return names;
}

QString textWithoutTags(const QString& text) {
    QStringList kept;
    for (const QString& word : Unicode::splitAtWhiteSpace(text)) {
        if (!isTag(word))
            kept.append(word);
    }
    const QString joined = kept.join(u' ');
    return joined.isEmpty() ? text : joined;
}

QString exportList(const std::optional<QString>& name, const QList<TBItem>& items) {
    QString out;
    if (name && !name->isEmpty())
        out += QStringLiteral("# ") + oneLine(*name) + u'\n';
    for (const TBItem& item : items) {
        out += QString(item.done ? QStringLiteral("- [x] ") : QStringLiteral("- [ ] "));
        out += oneLine(item.text) + u'\n';
        for (const ItemNotes::Entry& note : ItemNotes::parse(item.notes)) {
            out += QStringLiteral("  ");
            if (!note.authorName.isEmpty())
                out += oneLine(note.authorName) + QStringLiteral(": ");
            out += oneLine(note.text) + u'\n';
        }
    }
    return out;
}

ImportResult parse(const QString& text) {
    ImportResult result;
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString& line : unified.split(u'\n', Qt::SkipEmptyParts)) {
        const QString trimmed = Unicode::trimBlanks(line);
        const QStringList characters = Unicode::graphemes(trimmed);
        if (auto item = checkboxItem(trimmed, characters)) {
            result.items.append(*item);
        } else if (!result.title && characters.size() >= 2 && characters[0] == u"#" &&
                   characters[1] == u" ") {
            const QString title = Unicode::trimBlanks(trimmed.mid(2));
            if (!title.isEmpty())
                result.title = title;
        } else if (Unicode::isWhiteSpace(Unicode::firstCodePoint(line))) {
            if (!result.items.isEmpty() && !trimmed.isEmpty())
                result.items.last().notes.append(trimmed);
        }
    }
    return result;
}

ImportResult parsePasted(const QString& text) {
    ImportResult checklist = parse(text);
    if (!checklist.items.isEmpty())
        return checklist;

    ImportResult result;
    QString piece;
    auto finishPiece = [&] {
        if (piece.isEmpty())
            return;
        if (auto item = plainItem(piece))
            result.items.append(*item);
        piece.clear();
    };
    for (const QChar c : text) {
        if (isNewline(c.unicode()))
            finishPiece();
        else
            piece += c;
    }
    finishPiece();
    return result;
}

} // namespace Markdown
