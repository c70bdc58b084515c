#include "model/TagSuggestions.h"

#include "platform/Unicode.h"

#include <QSet>

namespace TagSuggestions {

namespace {

// Names of grocery shops and words for a shopping trip.
const QSet<QString>& storeWords() {
    static const QSet<QString> words{"coles", "woolworths", "woollies",  "iga",        "costco",
                                     "aldi",  "shopping",   "groceries", "supermarket"};
    return words;
}

// Lower-case words of a name, split at every code point that is not a letter, mark or digit.
QStringList nameWords(const QString& name) {
    const QString lower = Unicode::toLower(name);
    QStringList words;
    QString word;
    for (qsizetype i = 0; i < lower.size();) {
        const qsizetype length =
            (lower[i].isHighSurrogate() && i + 1 < lower.size() && lower[i + 1].isLowSurrogate())
                ? 2
                : 1;
        const QString codePoint = lower.mid(i, length);
        if (Unicode::isAlphanumeric(Unicode::firstCodePoint(codePoint))) {
            word += codePoint;
        } else if (!word.isEmpty()) {
            words.append(word);
            word.clear();
        }
        i += length;
    }
    if (!word.isEmpty())
        words.append(word);
    return words;
}

} // namespace

const QList<ListType>& allListTypes() {
    static const QList<ListType> all{ListType::shopping, ListType::hardware, ListType::renovation,
                                     ListType::project};
    return all;
}

QList<ListType> types(const QString& name, const QString& icon) {
    for (const QString& word : nameWords(name)) {
        if (storeWords().contains(word))
            return {ListType::shopping};
    }
    if (icon == u"cart")
        return {ListType::shopping};
    if (icon == u"hammer")
        return {ListType::hardware, ListType::renovation, ListType::project};
    return {};
}

QStringList starterTags(ListType type) {
    switch (type) {
    case ListType::shopping:
        return {"produce", "bakery", "dairy", "meat", "freezer", "pantry", "drinks", "household"};
    case ListType::hardware:
        return {"tools", "fixings", "timber", "paint", "electrical", "garden"};
    case ListType::renovation:
        return {"demolition", "materials", "paint", "fittings", "hire"};
    case ListType::project:
        return {"planning", "materials", "tools", "finishing"};
    }
    return {};
}

} // namespace TagSuggestions
