#pragma once

#include <QString>
#include <QStringList>

// Turns a spoken or typed phrase into the item texts to add.
namespace ItemPhrase {

// Nothing for a blank phrase, otherwise the one trimmed text ("eggs and milk" stays one item).
QStringList split(const QString& text);

} // namespace ItemPhrase
