#pragma once

#include "platform/JsonRead.h"

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// A vocabulary pack: the words and phrases of everyday items sorted into categories, and an
// alias tag for some categories (fruit and vegetables may both be offered as "produce").
struct LexiconPack {
    qint64 version = 0;
    qint64 minBuild = 0; // the lowest build of the program that may use the pack
    // Category name (as written) to its words and phrases. Kept sorted by name so that a word
    // listed under two categories always goes to the later one.
    QMap<QString, QStringList> categories;
    std::optional<QStringList> recogniser; // kept, never read
    std::optional<QStringList> grammar;    // kept, never read
    QMap<QString, QString> aisleAliases;   // category name to alias tag name

    bool operator==(const LexiconPack&) const = default;

    // Version 0, no categories and no aliases: what stands in when the shipped pack is unusable.
    static LexiconPack empty() { return {}; }

    // Throws DecodeError on malformed JSON, a missing or null "version" or "categories", or a
    // value of the wrong type anywhere. Unknown keys are ignored.
    static LexiconPack fromJson(const Json& document);
    static LexiconPack decode(const QByteArray& bytes);
    Json toJson() const;

    // Trimmed, lower-cased and composed: the form in which words, phrases and aliases are
    // looked up.
    static QString normalised(const QString& text);

    // The candidate singular forms of a word ("berries" gives "berry", "berri", "berrie").
    static QStringList singulars(const QString& word);

    // Normalised word or phrase to category name: every listed text, plus the singular forms
    // that no listed text claims and whose producing texts agree on one category.
    QHash<QString, QString> categoryIndex() const;

    // Normalised category name to normalised alias; empty or self-aliases are left out.
    QHash<QString, QString> aliasIndex() const;
};
