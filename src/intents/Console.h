#pragma once

#include <QString>
#include <QStringList>

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
    // One line on standard output whose fields are separated by tabs; a tab inside a field is
    // never printed, so a script can split the line at its tabs.
    virtual void sayFields(const QStringList& fields) = 0;
    virtual void note(const QString& text) = 0;    // one line on standard error
    virtual void prompt(const QString& text) = 0;  // standard error, no line break
    virtual std::optional<QString> readLine() = 0; // nothing at the end of the input
};

// Texts printed by the terminal console: every character that could split a line of output,
// drive the terminal or reorder what is shown becomes U+FFFD. Those are the control characters
// (tab, line breaks and escape sequences among them), the line and paragraph separators and the
// bidirectional controls, so that a name from the store or from someone else's shared list
// prints as one run of plain text.
QString printableText(const QString& text);

class TerminalConsole final : public Console {
public:
    bool interactive() const override;
    void say(const QString& sentence) override;
    void sayFields(const QStringList& fields) override;
    void note(const QString& text) override;
    void prompt(const QString& text) override;
    std::optional<QString> readLine() override;
};
