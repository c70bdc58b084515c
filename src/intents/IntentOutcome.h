#pragma once

#include "intents/ExitCode.h"

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
    // reply: ok when the request was done, else why not (the reply says it in words); failed:
    // what kind of failure; the command line exits with it.
    ExitCode::Code exit = ExitCode::ok;

    static IntentOutcome reply(const QString& text, const QString& note = {}) {
        return {Kind::reply, text, {}, {}, note, ExitCode::ok};
    }
    // A reply to a request that was not done: "Team is view only, so I can't add to it."
    static IntentOutcome notDone(const QString& text, ExitCode::Code why) {
        return {Kind::reply, text, {}, {}, {}, why};
    }
    static IntentOutcome choose(const QString& question, const QList<IntentChoice>& choices) {
        return {Kind::choose, question, {}, choices, {}, ExitCode::ok};
    }
    static IntentOutcome confirm(const QString& question, const QString& followUp) {
        return {Kind::confirm, question, followUp, {}, {}, ExitCode::ok};
    }
    static IntentOutcome failed(const QString& why, ExitCode::Code code = ExitCode::failed) {
        return {Kind::failed, why, {}, {}, {}, code};
    }

    bool operator==(const IntentOutcome&) const = default;
};

using OutcomeHandler = std::function<void(const IntentOutcome&)>;
