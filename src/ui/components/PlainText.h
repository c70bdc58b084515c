#pragma once

#include <QString>

class QMessageBox;

// Texts from users and other people are shown exactly as typed. QLabel and QMessageBox guess
// "rich text" for anything that looks like HTML (and would then load images from local files),
// and button and action texts take "&" as a keyboard mnemonic; these helpers switch both off.
namespace PlainText {

// A text for QAbstractButton::setText() or QAction::setText(): every "&" doubled, so that
// "Salt & pepper" shows its ampersand instead of underlining " pepper"'s first letter.
QString forButton(const QString& text);
// Shows every label of a message box (text and informative text) as plain text. Call after
// setting the texts.
void apply(QMessageBox& box);

} // namespace PlainText
