#include "TextScale.h"

#include "platform/Defaults.h"

const QList<TextScale>& TextScale::allCases() {
    static const QList<TextScale> cases{small, standard, large, larger, largest};
    return cases;
}

std::optional<TextScale> TextScale::fromRaw(const QString& raw) {
    for (TextScale scale : allCases()) {
        if (scale.rawValue() == raw)
            return scale;
    }
    return std::nullopt;
}

QString TextScale::rawValue() const {
    switch (value_) {
    case small:
        return QStringLiteral("small");
    case standard:
        return QStringLiteral("standard");
    case large:
        return QStringLiteral("large");
    case larger:
        return QStringLiteral("larger");
    case largest:
        break;
    }
    return QStringLiteral("largest");
}

double TextScale::factor() const {
    switch (value_) {
    case small:
        return 0.85;
    case standard:
        return 1.0;
    case large:
        return 1.15;
    case larger:
        return 1.3;
    case largest:
        break;
    }
    return 1.5;
}

TextScale TextScale::stored(const Defaults& defaults) {
    const std::optional<QString> raw = defaults.string(key);
    if (!raw)
        return standard;
    return fromRaw(*raw).value_or(standard);
}

void TextScale::store(Defaults& defaults, TextScale scale) {
    defaults.setString(key, scale.rawValue());
}
