#pragma once

#include <QHash>
#include <QList>
#include <QString>

// What the item tagger reads of the adopted vocabulary pack.
struct LexiconVocabulary {
    struct Phrase {
        QString phrase;
        QString category;
        bool operator==(const Phrase&) const = default;
    };

    QHash<QString, QString> categories; // normalised word or phrase to category name
    QList<Phrase> phrases;              // the keys holding a space: longest first, then text order
    QHash<QString, QString> aliases;    // normalised category name to normalised alias

    LexiconVocabulary() = default;
    LexiconVocabulary(const QHash<QString, QString>& categoryIndex,
                      const QHash<QString, QString>& aliasIndex);
};
