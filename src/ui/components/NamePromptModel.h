#pragma once

#include <QString>

#include <optional>

// The decisions of the name prompt (a new group, circle or tag): when a name may be confirmed,
// and what confirming and cancelling do to the typed text, which the caller owns.
class NamePromptModel {
public:
    NamePromptModel(QString title, QString placeholder, QString confirmTitle, QString text = {});

    const QString& title() const { return title_; }
    const QString& placeholder() const { return placeholder_; }
    const QString& confirmTitle() const { return confirmTitle_; }

    const QString& text() const { return text_; }
    void setText(const QString& text) { text_ = text; }

    // A name of only blanks is no name: spaces, tabs and line breaks alike.
    bool canConfirm() const;
    // Confirming a blank name does nothing (none, text unchanged, the sheet stays). Otherwise
    // gives the text as typed, blanks included (the caller trims it), and empties the text.
    std::optional<QString> confirm();
    // Cancelling empties the text.
    void cancel() { text_.clear(); }

private:
    QString title_;
    QString placeholder_;
    QString confirmTitle_;
    QString text_;
};
