#pragma once

#include <QString>

// The rule by which a draft of the add bar becomes an item's text. Spaces, tabs and line breaks
// are trimmed at both ends, and each line break left inside (a pasted draft) becomes one space,
// so a draft of only blanks or only line breaks adds nothing and no item holds a hidden break.
namespace AddDraftRule {

// The text to add, or empty text when there is nothing to add.
QString itemText(const QString& draft);
// Whether nothing would be added: the bar shows its placeholder and disables its plus button.
bool isBlank(const QString& draft);
// Whether a text pasted into the add field holds several lines with something on them: such a
// paste adds one item a line, as the actions menu's paste does, instead of going into the draft.
bool holdsSeveralLines(const QString& pasted);

} // namespace AddDraftRule
