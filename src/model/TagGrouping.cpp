#include "model/TagGrouping.h"

#include "model/Markdown.h"
#include "platform/Unicode.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace TagGrouping {

QString untaggedID() {
    return QString(QChar(u'\0')) + QStringLiteral("untagged");
}

QString Section::id() const {
    return tag ? *tag : untaggedID();
}

QList<Section> sections(const QList<TBItem>& items, const QStringList& tagOrder) {
    // Tagged sections in order of first appearance; each item goes under its first tag.
    QList<Section> tagged;
    QHash<QString, qsizetype> indexOfTag;
    Section untagged;
    for (const TBItem& item : items) {
        const QStringList itemTags = Markdown::tags(item.text);
        if (itemTags.isEmpty()) {
            untagged.items.append(item);
            continue;
        }
        const QString& tag = itemTags.first();
        auto found = indexOfTag.constFind(tag);
        if (found == indexOfTag.constEnd()) {
            found = indexOfTag.insert(tag, tagged.size());
            tagged.append(Section{tag, {}});
        }
        tagged[*found].items.append(item);
    }

    QList<Section> result;
    QSet<QString> placed;
    for (const QString& tag : tagOrder) {
        const auto found = indexOfTag.constFind(tag);
        // A tag named twice in the order keeps its first place.
        if (found != indexOfTag.constEnd() && !placed.contains(tag)) {
            placed.insert(tag);
            result.append(tagged[*found]);
        }
    }
    QList<Section> rest;
    for (const Section& section : tagged) {
        if (!placed.contains(*section.tag))
            rest.append(section);
    }
    // Stable, so tags that differ only in how an accent is encoded keep their first-seen order.
    std::stable_sort(rest.begin(), rest.end(), [](const Section& a, const Section& b) {
        return Unicode::textLess(*a.tag, *b.tag);
    });
    result.append(rest);
    if (!untagged.items.isEmpty())
        result.append(untagged);
    return result;
}

} // namespace TagGrouping
