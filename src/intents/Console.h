#pragma once

#include <QString>

#include <optional>

// Where the command line talks to its user. Standard output carries only the sentences the
// program speaks (prompts, questions and replies); notes, numbered choices and errors go to
// standard error.
class Console {
public:
    virtual ~Console() = default;
    // Whether a person can answer questions (standard input is a terminal).
    virtual bool interactive() const = 0;
    virtual void say(const QString& sentence) = 0; // one line on standard output
    virtual void note(const QString& text) = 0;    // one line on standard error
    virtual void prompt(const QString& text) = 0;  // standard error, no line break
    virtual std::optional<QString> readLine() = 0; // nothing at the end of the input
};

// Texts printed by the terminal console: control characters (line breaks, escape sequences)
// become U+FFFD, so that a name from the store or from someone else's shared list can neither
// split a line of output nor drive the terminal. Tabs are kept.
QString printableText(const QString& text);

class TerminalConsole final : public Console {
public:
    bool interactive() const override;
    void say(const QString& sentence) override;
    void note(const QString& text) override;
    void prompt(const QString& text) override;
    std::optional<QString> readLine() override;
};
