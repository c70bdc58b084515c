#include "lexicon/ItemTagger.h"

#include "lexicon/LexiconStore.h"
#include "model/Markdown.h"
#include "platform/Unicode.h"

#include <QSet>

#include <algorithm>

namespace ItemTagger {

namespace {

// The text without its tags, lower-cased and composed like the vocabulary's keys.
QString plainText(const QString& text) {
    return Unicode::nfc(Unicode::toLower(Markdown::textWithoutTags(text)));
}

// The lower-cased words of a text, tags left out, cut at every character that is not a letter,
// mark or digit; words of one character are not significant.
QSet<QString> significantWords(const QString& text) {
    const QString lowered = plainText(text);
    QSet<QString> words;
    QString piece;
    const auto flush = [&] {
        if (Unicode::graphemeCount(piece) >= 2) {
            words.insert(piece);
        }
        piece.clear();
    };
    for (const char32_t c : lowered.toUcs4()) {
        if (Unicode::isAlphanumeric(c)) {
            piece.append(QString::fromUcs4(&c, 1));
        } else {
            flush();
        }
    }
    flush();
    return words;
}

bool sharesWord(const QSet<QString>& a, const QSet<QString>& b) {
    return std::any_of(a.begin(), a.end(), [&](const QString& word) { return b.contains(word); });
}

// The category itself when the list has it as a tag, else its alias when the list has that.
std::optional<QString> tagFor(const QString& category, const QSet<QString>& tagSet,
                              const LexiconVocabulary& vocabulary) {
    if (tagSet.contains(category)) {
        return category;
    }
    const auto alias = vocabulary.aliases.constFind(category);
    if (alias != vocabulary.aliases.constEnd() && tagSet.contains(alias.value())) {
        return alias.value();
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> suggestion(const QString& text, const QStringList& listTags,
                                  const QList<TaggedItem>& existing,
                                  const LexiconVocabulary* vocabulary) {
    const LexiconVocabulary& words = vocabulary ? *vocabulary : LexiconStore::shared().vocabulary();
    if (!Markdown::tags(text).isEmpty()) {
        return std::nullopt;
    }
    const QSet<QString> significant = significantWords(text);
    if (significant.isEmpty()) {
        return std::nullopt;
    }

    for (const TaggedItem& item : existing) {
        if (sharesWord(significantWords(item.text), significant)) {
            return item.tag;
        }
    }

    const QSet<QString> tagSet(listTags.begin(), listTags.end());
    const QString plain = plainText(text);
    for (const LexiconVocabulary::Phrase& phrase : words.phrases) {
        if (plain.contains(phrase.phrase)) {
            if (auto tag = tagFor(phrase.category, tagSet, words)) {
                return tag;
            }
        }
    }

    QStringList sorted(significant.begin(), significant.end());
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        const int order = Unicode::compareText(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    for (const QString& word : sorted) {
        auto category = words.categories.constFind(word);
        if (category == words.categories.constEnd() && word.endsWith(QLatin1Char('s'))) {
            category = words.categories.constFind(word.chopped(1));
        }
        if (category == words.categories.constEnd()) {
            continue;
        }
        if (auto tag = tagFor(category.value(), tagSet, words)) {
            return tag;
        }
    }
    return std::nullopt;
}

} // namespace ItemTagger
