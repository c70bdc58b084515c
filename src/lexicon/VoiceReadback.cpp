#include "lexicon/VoiceReadback.h"

#include "platform/Unicode.h"

#include <QStringList>

#include <algorithm>

namespace VoiceReadback {

namespace {

const QString emDashAnd = QStringLiteral(" \u2014 and ");

QString countWord(qsizetype number) {
    static const char* const words[] = {"no",  "one",   "two",   "three", "four", "five",
                                        "six", "seven", "eight", "nine",  "ten"};
    if (number >= 0 && number <= 10) {
        return QString::fromLatin1(words[number]);
    }
    return QString::number(number);
}

QString capitalisedCountWord(qsizetype number) {
    const QString word = countWord(number);
    return word.left(1).toUpper() + word.mid(1);
}

QString noun(qsizetype number) {
    return number == 1 ? QStringLiteral("thing") : QStringLiteral("things");
}

// The item's words without its tags; the whole text when nothing else is left to say.
QStringList spokenTexts(const QList<TBItem>& items) {
    QStringList texts;
    for (const TBItem& item : items) {
        QStringList words;
        for (const QString& word : Unicode::splitAtWhiteSpace(item.text)) {
            const bool tagLike =
                word.startsWith(QLatin1Char('#')) && Unicode::graphemeCount(word) >= 2;
            if (!tagLike) {
                words.append(word);
            }
        }
        const QString spoken = words.join(QLatin1Char(' '));
        texts.append(spoken.isEmpty() ? item.text : spoken);
    }
    return texts;
}

// "bread", "bread and milk", "bread, milk and eggs".
QString joined(const QStringList& texts) {
    if (texts.size() <= 1) {
        return texts.value(0);
    }
    return texts.mid(0, texts.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           texts.last();
}

QString listOnly(const QStringList& texts, qsizetype cap) {
    if (texts.size() <= cap) {
        return joined(texts) + QLatin1Char('.');
    }
    return joined(texts.mid(0, cap)) + emDashAnd + QString::number(texts.size() - cap) +
           QStringLiteral(" more.");
}

QString heading(qsizetype count, const QString& listName) {
    return capitalisedCountWord(count) + QLatin1Char(' ') + noun(count) +
           QStringLiteral(" left on ") + listName;
}

QString nothingLeftText(const QString& listName) {
    return QStringLiteral("Nothing left on ") + listName + QLatin1Char('.');
}

} // namespace

QString sentence(const QString& listName, const QList<TBItem>& outstanding, int cap) {
    const QStringList texts = spokenTexts(outstanding);
    const qsizetype n = texts.size();
    const qsizetype limit = std::max(cap, 0); // a negative cap names nothing
    if (n == 0) {
        return nothingLeftText(listName);
    }
    if (n <= limit) {
        return heading(n, listName) + QStringLiteral(": ") + joined(texts) + QLatin1Char('.');
    }
    return heading(n, listName) + QStringLiteral(". The first ") + countWord(limit) +
           QStringLiteral(" are: ") + joined(texts.mid(0, limit)) + QLatin1Char('.');
}

ReadPlan plan(const QString& listName, const QList<TBItem>& outstanding, int cap, int askBeyond) {
    const QStringList texts = spokenTexts(outstanding);
    const qsizetype n = texts.size();
    if (n == 0) {
        return ReadPlan::nothingLeft(nothingLeftText(listName));
    }
    if (n <= askBeyond) {
        return ReadPlan::speak(sentence(listName, outstanding, cap));
    }
    return ReadPlan::ask(heading(n, listName) + QStringLiteral(". Shall I read them?"),
                         listOnly(texts, std::max(cap, 0)));
}

} // namespace VoiceReadback
