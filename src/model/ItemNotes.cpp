#include "ItemNotes.h"

#include "platform/Unicode.h"

#include <QSet>
#include <QStringList>

#include <algorithm>

namespace ItemNotes {

namespace {

constexpr QChar tab = u'\t';
constexpr QChar lineFeed = u'\n';
constexpr QChar carriageReturn = u'\r';

// The lines of a thread, empty ones dropped. A CR LF pair is one character and does not end a
// line: peers may have written one inside a note's text, and that note must stay whole.
QStringList threadLines(const QString& raw) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != lineFeed || (i > 0 && raw[i - 1] == carriageReturn))
            continue;
        if (i > start)
            lines.append(raw.mid(start, i - start));
        start = i + 1;
    }
    if (raw.size() > start)
        lines.append(raw.mid(start));
    return lines;
}

// A field as written into a line: separators and line breaks (a CR LF pair as one) become one
// space each.
QString flattened(const QString& field) {
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c == carriageReturn && i + 1 < field.size() && field[i + 1] == lineFeed) {
            out += u' ';
            ++i;
        } else if (c == tab || c == lineFeed || c == carriageReturn) {
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

// One line as an entry: the first four TABs separate the fields, further TABs belong to the
// text. Too few fields or a malformed time make the line unreadable.
std::optional<Entry> read(const QString& line) {
    QStringList parts;
    qsizetype start = 0;
    while (parts.size() < 4) {
        const qsizetype next = line.indexOf(tab, start);
        if (next < 0)
            return std::nullopt;
        parts.append(line.mid(start, next - start));
        start = next + 1;
    }
    const std::optional<Date> written = Date::fromIso8601(parts[1]);
    if (!written)
        return std::nullopt;
    return Entry{parts[0], *written, parts[2], parts[3], line.mid(start)};
}

bool isDeletionMarker(const Entry& entry) {
    return entry.id.startsWith(u'~');
}

} // namespace

QString line(const Entry& entry) {
    const QStringList fields{flattened(entry.id), entry.written.iso8601(),
                             flattened(entry.authorID), flattened(entry.authorName),
                             flattened(entry.text)};
    return fields.join(tab);
}

QList<Entry> parse(const QString& raw) {
    QList<Entry> entries;
    QSet<QString> deleted;
    for (const QString& text : threadLines(raw)) {
        std::optional<Entry> entry = read(text);
        if (!entry)
            continue;
        if (isDeletionMarker(*entry))
            deleted.insert(entry->id.mid(1));
        else
            entries.append(std::move(*entry));
    }
    // A marker may stand before or after its note, so deletions apply once all lines are read.
    entries.removeIf([&](const Entry& entry) { return deleted.contains(entry.id); });
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.written != b.written)
            return a.written < b.written;
        return Unicode::textLess(a.id, b.id);
    });
    return entries;
}

std::optional<QString> adding(const Entry& entry, const QString& raw) {
    if (Unicode::trimWhitespaceAndNewlines(entry.text).isEmpty())
        return std::nullopt;
    if (parse(raw).size() >= maxNotes)
        return std::nullopt;
    const QString newLine = line(entry);
    const QString result = raw.isEmpty() ? newLine : raw + lineFeed + newLine;
    // The limit counts what a person sees as characters, markers and deleted notes included.
    if (Unicode::graphemeCount(result) > maxCharacters)
        return std::nullopt;
    return result;
}

QString merged(const QString& a, const QString& b) {
    struct Keyed {
        QString text;
        std::optional<Date> written; // absent: unreadable, sorts after every readable line
    };
    QList<Keyed> kept;
    QSet<QString> seen;
    // Each side is split on its own, so a side ending in a CR can never join the other's first
    // line into one CR LF line.
    for (const QString* side : {&a, &b}) {
        for (const QString& text : threadLines(*side)) {
            if (seen.contains(text))
                continue;
            seen.insert(text);
            const std::optional<Entry> entry = read(text);
            kept.append({text, entry ? std::optional<Date>(entry->written) : std::nullopt});
        }
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Keyed& x, const Keyed& y) {
        if (x.written.has_value() != y.written.has_value())
            return x.written.has_value();
        if (x.written && *x.written != *y.written)
            return *x.written < *y.written;
        return Unicode::textLess(x.text, y.text);
    });
    QStringList lines;
    lines.reserve(kept.size());
    for (const Keyed& k : kept)
        lines.append(k.text);
    return lines.join(lineFeed);
}

} // namespace ItemNotes
