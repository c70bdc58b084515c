#include "model/TagDraft.h"

#include "model/Markdown.h"
#include "platform/Unicode.h"

namespace TagDraft {

namespace {

// Whether the first user-perceived character is a plain "#" (not one with a mark combined on it).
bool startsWithHash(const QString& word) {
    return word.startsWith(u'#') && Unicode::graphemes(word).first() == u"#";
}

} // namespace

QString replacingName(const QString& name, const QString& text) {
    QStringList words;
    for (const QString& word : Unicode::splitAtWhiteSpace(name)) {
        const QString bare = startsWithHash(word) ? word.mid(1) : word;
        if (!bare.isEmpty())
            words.append(bare);
    }
    for (const QString& tag : Markdown::tags(text))
        words.append(u'#' + tag);
    return words.join(u' ');
}

QString toggle(const QString& tag, const QString& draft) {
    const QString tagWord = u'#' + tag;
    QStringList words = Unicode::splitAtWhiteSpace(draft);
    if (words.contains(tagWord))
        words.removeAll(tagWord);
    else
        words.append(tagWord);
    return words.join(u' ');
}

std::optional<QString> newTag(const QString& typed) {
    const QStringList characters = Unicode::graphemes(Unicode::trimBlanks(typed));
    qsizetype hashes = 0;
    while (hashes < characters.size() && characters[hashes] == u"#")
        ++hashes;
    const QString rest = characters.mid(hashes).join(QString());
    const QString joined = Unicode::splitAtWhiteSpace(rest).join(u'-');
    QString name;
    for (const QString& character : Unicode::graphemes(joined)) {
        if (Markdown::isTagCharacter(character))
            name += character;
    }
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

QStringList chips(const QStringList& listTags, const QString& draft) {
    QStringList result = listTags;
    for (const QString& tag : Markdown::tags(draft)) {
        if (!result.contains(tag))
            result.append(tag);
    }
    return result;
}

} // namespace TagDraft
