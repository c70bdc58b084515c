#include "intents/PhraseMatcher.h"

#include "lexicon/VoiceResolution.h"
#include "platform/Unicode.h"

#include <QRegularExpression>

namespace {

// One folded word of the utterance, with the span of the written word it came from.
struct Piece {
    QString folded;
    qsizetype wordStart = 0;
    qsizetype wordEnd = 0;
};

QList<Piece> piecesOf(const QString& utterance) {
    QList<Piece> pieces;
    qsizetype i = 0;
    const qsizetype size = utterance.size();
    auto codePointAt = [&](qsizetype at, qsizetype* length) {
        if (utterance[at].isHighSurrogate() && at + 1 < size &&
            utterance[at + 1].isLowSurrogate()) {
            *length = 2;
            return char32_t(QChar::surrogateToUcs4(utterance[at], utterance[at + 1]));
        }
        *length = 1;
        return char32_t(utterance[at].unicode());
    };
    while (i < size) {
        qsizetype length = 1;
        if (Unicode::isWhiteSpace(codePointAt(i, &length))) {
            i += length;
            continue;
        }
        const qsizetype start = i;
        while (i < size && !Unicode::isWhiteSpace(codePointAt(i, &length)))
            i += length;
        const QString word = utterance.mid(start, i - start);
        for (const QString& folded : VoiceResolution::fold(word).split(u' ', Qt::SkipEmptyParts))
            pieces.append(Piece{folded, start, i});
    }
    return pieces;
}

QStringList foldedWords(const QString& text) {
    return VoiceResolution::fold(text).split(u' ', Qt::SkipEmptyParts);
}

// A phrase as folded words before and after its list token.
struct Pattern {
    QStringList before;
    QStringList after;
    bool hasList = false;
    qsizetype ownWords() const { return before.size() + after.size(); }
};

Pattern patternOf(const QString& phrase, const QString& applicationName) {
    static const QRegularExpression token(QStringLiteral("\\{(app|list)\\}"));
    Pattern pattern;
    qsizetype at = 0;
    auto literal = [&](const QString& text) {
        (pattern.hasList ? pattern.after : pattern.before) += foldedWords(text);
    };
    for (auto it = token.globalMatch(phrase); it.hasNext();) {
        const QRegularExpressionMatch found = it.next();
        literal(phrase.mid(at, found.capturedStart() - at));
        if (found.captured(1) == QLatin1String("app"))
            literal(applicationName);
        else
            pattern.hasList = true;
        at = found.capturedEnd();
    }
    literal(phrase.mid(at));
    return pattern;
}

bool piecesEqual(const QList<Piece>& pieces, qsizetype from, const QStringList& words) {
    for (qsizetype k = 0; k < words.size(); ++k) {
        if (pieces[from + k].folded != words[k])
            return false;
    }
    return true;
}

QString trimPunctuation(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start].isPunct())
        ++start;
    while (end > start && text[end - 1].isPunct())
        --end;
    return text.mid(start, end - start);
}

// The list as written when it starts and ends on whole words, else as folded.
QString listText(const QString& utterance, const QList<Piece>& pieces, qsizetype first,
                 qsizetype last) {
    const bool cleanStart = first == 0 || pieces[first - 1].wordStart != pieces[first].wordStart;
    const bool cleanEnd =
        last + 1 == pieces.size() || pieces[last + 1].wordStart != pieces[last].wordStart;
    if (cleanStart && cleanEnd) {
        const qsizetype start = pieces[first].wordStart;
        const QString written = trimPunctuation(utterance.mid(start, pieces[last].wordEnd - start));
        if (!written.isEmpty())
            return written;
    }
    QStringList folded;
    for (qsizetype k = first; k <= last; ++k)
        folded.append(pieces[k].folded);
    return folded.join(u' ');
}

} // namespace

std::optional<SpokenRequest> PhraseMatcher::match(const QString& utterance,
                                                  const QList<AppShortcut>& shortcuts,
                                                  const QString& applicationName) {
    const QList<Piece> pieces = piecesOf(utterance);
    std::optional<SpokenRequest> best;
    qsizetype bestWords = -1;
    for (const AppShortcut& shortcut : shortcuts) {
        for (const QString& phrase : shortcut.phrases) {
            const Pattern pattern = patternOf(phrase, applicationName);
            const qsizetype listWords = pieces.size() - pattern.ownWords();
            if (pattern.hasList ? listWords < 1 : listWords != 0)
                continue;
            if (!piecesEqual(pieces, 0, pattern.before) ||
                !piecesEqual(pieces, pieces.size() - pattern.after.size(), pattern.after))
                continue;
            if (pattern.ownWords() <= bestWords)
                continue;
            SpokenRequest request{shortcut.intent, std::nullopt, phrase};
            if (pattern.hasList) {
                const qsizetype first = pattern.before.size();
                request.listName = listText(utterance, pieces, first, first + listWords - 1);
            }
            best = request;
            bestWords = pattern.ownWords();
        }
    }
    return best;
}
