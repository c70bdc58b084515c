#pragma once

#include <QList>
#include <QString>

#include <optional>

class Defaults;

// The size of the program's text, kept in the user's settings. Font sizes are multiplied by
// the factor of the current scale.
class TextScale {
public:
    // In the order the text-size buttons step through.
    enum Value { small, standard, large, larger, largest };

    constexpr TextScale(Value value) : value_(value) {}
    constexpr operator Value() const { return value_; }

    static inline const QString key = QStringLiteral("textScale");

    static const QList<TextScale>& allCases();
    static std::optional<TextScale> fromRaw(const QString& raw);
    QString rawValue() const; // the case name
    double factor() const;

    // The stored scale; standard when none or an unknown one is stored (the text is left as
    // it is). Kept under `key` in the given settings; their changed(key) tells a change.
    static TextScale stored(const Defaults& defaults);
    static void store(Defaults& defaults, TextScale scale);

private:
    Value value_;
};
