#include "lexicon/VoiceResolution.h"

#include "lexicon/Folding.h"
#include "model/Markdown.h"
#include "platform/Unicode.h"

#include <unicode/uchar.h>

#include <functional>

namespace VoiceResolution {

namespace {

bool isApostrophe(char32_t c) {
    return c == U'\'' || c == U'\u2019' || c == U'`';
}

bool isPunctuation(char32_t c) {
    switch (u_charType(static_cast<UChar32>(c))) {
    case U_CONNECTOR_PUNCTUATION:
    case U_DASH_PUNCTUATION:
    case U_START_PUNCTUATION:
    case U_END_PUNCTUATION:
    case U_INITIAL_PUNCTUATION:
    case U_FINAL_PUNCTUATION:
    case U_OTHER_PUNCTUATION:
        return true;
    default:
        return false;
    }
}

bool isLeadingFiller(const QString& word) {
    return word == QLatin1String("the") || word == QLatin1String("my") ||
           word == QLatin1String("a");
}

// Every list whose key equals `key`: one is a match, more are ambiguous.
ListMatch collect(const QString& key, const QList<TBList>& lists,
                  const std::function<QString(const QString&)>& keyOf) {
    QList<TBList> found;
    for (const TBList& list : lists) {
        if (keyOf(list.name) == key) {
            found.append(list);
        }
    }
    if (found.size() == 1) {
        return ListMatch::matched(found.first());
    }
    if (found.size() > 1) {
        return ListMatch::ambiguous(found);
    }
    return ListMatch::none();
}

// Every item whose key equals `key`: open ones first, then the first done one.
ItemMatch matchItems(const QString& key, const QList<TBItem>& items,
                     const std::function<QString(const TBItem&)>& keyOf) {
    QList<TBItem> found;
    QList<TBItem> open;
    for (const TBItem& item : items) {
        if (keyOf(item) == key) {
            found.append(item);
            if (!item.done) {
                open.append(item);
            }
        }
    }
    if (open.size() == 1) {
        return ItemMatch::matched(open.first());
    }
    if (open.size() > 1) {
        return ItemMatch::ambiguous(open);
    }
    if (!found.isEmpty()) {
        return ItemMatch::alreadyDone(found.first());
    }
    return ItemMatch::none();
}

} // namespace

QString fold(const QString& text) {
    QString kept;
    for (const char32_t c : Folding::foldCaseAndDiacritics(text).toUcs4()) {
        if (isApostrophe(c)) {
            continue;
        }
        if (isPunctuation(c)) {
            kept.append(QLatin1Char(' '));
        } else {
            kept.append(QString::fromUcs4(&c, 1));
        }
    }
    return Unicode::splitAtWhiteSpace(kept).join(QLatin1Char(' '));
}

QString stripFiller(const QString& folded) {
    QStringList words = folded.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    while (words.size() >= 2 && isLeadingFiller(words.first())) {
        words.removeFirst();
    }
    if (words.size() >= 2 && words.last() == QLatin1String("list")) {
        words.removeLast();
    }
    return words.join(QLatin1Char(' '));
}

ListMatch resolve(const QString& spoken, const QList<TBList>& lists) {
    const QString trimmed = Unicode::trimWhitespaceAndNewlines(spoken);
    if (trimmed.isEmpty()) {
        return ListMatch::none();
    }
    for (const TBList& list : lists) {
        if (Unicode::compareText(list.name, trimmed) == 0) {
            return ListMatch::matched(list);
        }
    }

    const QString folded = fold(trimmed);
    if (!folded.isEmpty()) {
        ListMatch match = collect(folded, lists, fold);
        if (match.kind != ListMatch::Kind::none) {
            return match;
        }
    }

    const QString bare = stripFiller(folded);
    if (bare.isEmpty()) {
        return ListMatch::none();
    }
    return collect(bare, lists, [](const QString& name) { return stripFiller(fold(name)); });
}

ItemMatch resolveItem(const QString& spoken, const QList<TBItem>& items) {
    const QString trimmed = Unicode::trimWhitespaceAndNewlines(spoken);
    if (trimmed.isEmpty()) {
        return ItemMatch::none();
    }
    const QString key = fold(trimmed);
    if (key.isEmpty()) {
        return ItemMatch::none();
    }
    // The whole text, tag words included, decides whenever it finds anything ("milk dairy" for
    // "Milk #dairy"). Only then the text without its tags: the add bar tags most new items by
    // itself, and people say "milk" for the milk they added, not its tag.
    const ItemMatch whole =
        matchItems(key, items, [](const TBItem& item) { return fold(item.text); });
    if (whole.kind != ItemMatch::Kind::none) {
        return whole;
    }
    return matchItems(
        key, items, [](const TBItem& item) { return fold(Markdown::textWithoutTags(item.text)); });
}

} // namespace VoiceResolution
