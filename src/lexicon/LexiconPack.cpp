#include "lexicon/LexiconPack.h"

#include "platform/Unicode.h"

#include <QSet>

#include <cmath>
#include <limits>

namespace {

qint64 integer(const Json& value, const char* what) {
    if (value.is_number_integer()) {
        if (value.is_number_unsigned() &&
            value.get<std::uint64_t>() >
                static_cast<std::uint64_t>(std::numeric_limits<qint64>::max())) {
            throw DecodeError(std::string(what) + " is out of range");
        }
        return value.get<qint64>();
    }
    if (value.is_number_float()) {
        const double d = value.get<double>();
        // A number written as 3.0 is still a whole number; 3.5 is not.
        if (std::isfinite(d) && std::trunc(d) == d && d >= -9.2233720368547758e18 &&
            d < 9.2233720368547758e18) {
            return static_cast<qint64>(d);
        }
    }
    throw DecodeError(std::string(what) + " is not an integer");
}

QStringList texts(const Json& value, const char* what) {
    JsonRead::requireArray(value, what);
    QStringList result;
    for (const Json& element : value) {
        result.append(JsonRead::asString(element, what));
    }
    return result;
}

// Missing and null are the same for the defaulted keys.
const Json* present(const Json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return nullptr;
    }
    return &*it;
}

bool endsWith(const QStringList& graphemes, const QStringList& suffix) {
    if (graphemes.size() < suffix.size()) {
        return false;
    }
    for (qsizetype i = 0; i < suffix.size(); ++i) {
        if (graphemes[graphemes.size() - suffix.size() + i] != suffix[i]) {
            return false;
        }
    }
    return true;
}

QString dropLast(const QStringList& graphemes, qsizetype count) {
    return graphemes.mid(0, graphemes.size() - count).join(QString());
}

} // namespace

LexiconPack LexiconPack::fromJson(const Json& document) {
    JsonRead::requireObject(document, "pack");
    LexiconPack pack;

    const auto version = document.find("version");
    if (version == document.end() || version->is_null()) {
        throw DecodeError("pack has no version");
    }
    pack.version = integer(*version, "version");
    if (const Json* minBuild = present(document, "minBuild")) {
        pack.minBuild = integer(*minBuild, "minBuild");
    }

    const auto categories = document.find("categories");
    if (categories == document.end() || categories->is_null()) {
        throw DecodeError("pack has no categories");
    }
    JsonRead::requireObject(*categories, "categories");
    for (auto it = categories->begin(); it != categories->end(); ++it) {
        pack.categories.insert(JsonRead::toQString(it.key()), texts(it.value(), "category"));
    }

    if (const Json* recogniser = present(document, "recogniser")) {
        pack.recogniser = texts(*recogniser, "recogniser");
    }
    if (const Json* grammar = present(document, "grammar")) {
        pack.grammar = texts(*grammar, "grammar");
    }
    if (const Json* aliases = present(document, "aisleAliases")) {
        JsonRead::requireObject(*aliases, "aisleAliases");
        for (auto it = aliases->begin(); it != aliases->end(); ++it) {
            pack.aisleAliases.insert(JsonRead::toQString(it.key()),
                                     JsonRead::asString(it.value(), "alias"));
        }
    }
    return pack;
}

LexiconPack LexiconPack::decode(const QByteArray& bytes) {
    return fromJson(JsonRead::parse(bytes));
}

Json LexiconPack::toJson() const {
    Json document = Json::object();
    document["version"] = version;
    document["minBuild"] = minBuild;
    Json categoryObject = Json::object();
    for (auto it = categories.begin(); it != categories.end(); ++it) {
        categoryObject[JsonRead::toUtf8(it.key())] = JsonRead::fromStringList(it.value());
    }
    document["categories"] = categoryObject;
    if (recogniser) {
        document["recogniser"] = JsonRead::fromStringList(*recogniser);
    }
    if (grammar) {
        document["grammar"] = JsonRead::fromStringList(*grammar);
    }
    Json aliasObject = Json::object();
    for (auto it = aisleAliases.begin(); it != aisleAliases.end(); ++it) {
        aliasObject[JsonRead::toUtf8(it.key())] = JsonRead::toUtf8(it.value());
    }
    document["aisleAliases"] = aliasObject;
    return document;
}

QString LexiconPack::normalised(const QString& text) {
    // Composed, so that a word typed or listed with combining accents is the same key.
    return Unicode::nfc(Unicode::toLower(Unicode::trimWhitespaceAndNewlines(text)));
}

QStringList LexiconPack::singulars(const QString& word) {
    static const QStringList ies{QStringLiteral("i"), QStringLiteral("e"), QStringLiteral("s")};
    static const QStringList es{QStringLiteral("e"), QStringLiteral("s")};
    static const QStringList s{QStringLiteral("s")};
    static const QStringList ss{QStringLiteral("s"), QStringLiteral("s")};

    const QStringList characters = Unicode::graphemes(word);
    QStringList forms;
    if (characters.size() >= 5 && endsWith(characters, ies)) {
        forms.append(dropLast(characters, 3) + QStringLiteral("y"));
    }
    if (characters.size() >= 4 && endsWith(characters, es)) {
        forms.append(dropLast(characters, 2));
    }
    if (characters.size() >= 3 && endsWith(characters, s) && !endsWith(characters, ss)) {
        forms.append(dropLast(characters, 1));
    }
    return forms;
}

QHash<QString, QString> LexiconPack::categoryIndex() const {
    QHash<QString, QString> index;
    for (auto it = categories.begin(); it != categories.end(); ++it) {
        for (const QString& text : it.value()) {
            index.insert(normalised(text), it.key());
        }
    }

    // A singular form joins only when no listed text is that form and every text that yields
    // it belongs to the same category.
    QHash<QString, QString> recorded;
    QSet<QString> contested;
    for (auto it = index.begin(); it != index.end(); ++it) {
        for (const QString& form : singulars(it.key())) {
            if (index.contains(form)) {
                continue;
            }
            const auto earlier = recorded.constFind(form);
            if (earlier == recorded.constEnd()) {
                recorded.insert(form, it.value());
            } else if (earlier.value() != it.value()) {
                contested.insert(form);
            }
        }
    }
    for (auto it = recorded.begin(); it != recorded.end(); ++it) {
        if (!contested.contains(it.key())) {
            index.insert(it.key(), it.value());
        }
    }
    return index;
}

QHash<QString, QString> LexiconPack::aliasIndex() const {
    QHash<QString, QString> index;
    for (auto it = aisleAliases.begin(); it != aisleAliases.end(); ++it) {
        const QString key = normalised(it.key());
        const QString value = normalised(it.value());
        if (!key.isEmpty() && !value.isEmpty() && key != value) {
            index.insert(key, value);
        }
    }
    return index;
}
