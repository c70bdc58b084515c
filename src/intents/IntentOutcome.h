#pragma once

#include <QList>
#include <QString>

#include <functional>

// One of several items the user is asked to choose from.
struct IntentChoice {
    QString id;
    QString text;
    bool operator==(const IntentChoice&) const = default;
};

// How a request ended: a reply to say, a question the user must answer first, or a failure
// that must not be mistaken for success.
struct IntentOutcome {
    enum class Kind { reply, choose, confirm, failed };

    Kind kind = Kind::reply;
    QString text;     // reply: the sentence (empty: nothing to say); choose, confirm: the
                      // question; failed: what went wrong
    QString followUp; // confirm: said when the user agrees
    QList<IntentChoice> choices; // choose: in the list's order
    // reply: said apart from the reply, on standard error (a saved change that could not be
    // synced); empty: nothing to add.
    QString note;

    static IntentOutcome reply(const QString& text, const QString& note = {}) {
        return {Kind::reply, text, {}, {}, note};
    }
    static IntentOutcome choose(const QString& question, const QList<IntentChoice>& choices) {
        return {Kind::choose, question, {}, choices, {}};
    }
    static IntentOutcome confirm(const QString& question, const QString& followUp) {
        return {Kind::confirm, question, followUp, {}, {}};
    }
    static IntentOutcome failed(const QString& why) { return {Kind::failed, why, {}, {}, {}}; }

    bool operator==(const IntentOutcome&) const = default;
};

using OutcomeHandler = std::function<void(const IntentOutcome&)>;
