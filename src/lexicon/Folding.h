#pragma once

#include <QString>

// Text folding for matching what people say against what they typed.
namespace Folding {

// Case-folds the text and removes its diacritics: "Café" and "cafe" fold alike, "ñ" becomes "n"
// and "ß" becomes "ss". The result is canonically composed.
QString foldCaseAndDiacritics(const QString& text);

} // namespace Folding
