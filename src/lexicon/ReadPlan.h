#pragma once

#include <QString>

// How to answer "what is left on this list": say one text, or ask first and then read on.
struct ReadPlan {
    enum class Kind { nothingLeft, speak, ask };

    Kind kind = Kind::nothingLeft;
    QString text;     // nothingLeft and speak: the reply
    QString question; // ask: said first
    QString followUp; // ask: said when the user confirms

    static ReadPlan nothingLeft(const QString& text) { return {Kind::nothingLeft, text, {}, {}}; }
    static ReadPlan speak(const QString& text) { return {Kind::speak, text, {}, {}}; }
    static ReadPlan ask(const QString& question, const QString& followUp) {
        return {Kind::ask, {}, question, followUp};
    }

    bool operator==(const ReadPlan&) const = default;
};
