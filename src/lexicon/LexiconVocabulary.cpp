#include "lexicon/LexiconVocabulary.h"

#include "platform/Unicode.h"

#include <algorithm>

LexiconVocabulary::LexiconVocabulary(const QHash<QString, QString>& categoryIndex,
                                     const QHash<QString, QString>& aliasIndex)
    : categories(categoryIndex), aliases(aliasIndex) {
    struct Sortable {
        Phrase entry;
        qsizetype length;
    };
    QList<Sortable> sortable;
    for (auto it = categoryIndex.begin(); it != categoryIndex.end(); ++it) {
        if (it.key().contains(QLatin1Char(' '))) {
            sortable.append({{it.key(), it.value()}, Unicode::graphemeCount(it.key())});
        }
    }
    // The tagger tries phrases in this order, so "red wine vinegar" is found before "red wine".
    std::sort(sortable.begin(), sortable.end(), [](const Sortable& a, const Sortable& b) {
        if (a.length != b.length) {
            return a.length > b.length;
        }
        const int order = Unicode::compareText(a.entry.phrase, b.entry.phrase);
        if (order != 0) {
            return order < 0;
        }
        return a.entry.phrase < b.entry.phrase; // canonically equal spellings: any fixed order
    });
    phrases.reserve(sortable.size());
    for (const Sortable& s : sortable) {
        phrases.append(s.entry);
    }
}
