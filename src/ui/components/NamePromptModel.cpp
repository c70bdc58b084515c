// The name prompt's rules.
#include "NamePromptModel.h"

NamePromptModel::NamePromptModel(QString title, QString placeholder, QString confirmTitle,
                                 QString text)
    : title_(std::move(title)), placeholder_(std::move(placeholder)),
      confirmTitle_(std::move(confirmTitle)), text_(std::move(text)) {}

bool NamePromptModel::canConfirm() const {
    // trimmed() drops every kind of white space, line breaks included: a pasted "\n" alone
    // must not become a group called nothing.
    return !text_.trimmed().isEmpty();
}

std::optional<QString> NamePromptModel::confirm() {
    if (!canConfirm())
        return std::nullopt;
    QString typed = text_;
    text_.clear();
    return typed;
}
