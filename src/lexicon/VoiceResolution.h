#pragma once

#include "lexicon/ItemMatch.h"
#include "lexicon/ListMatch.h"
#include "model/TBItem.h"
#include "model/TBList.h"

#include <QList>
#include <QString>

// Matches names as people say them ("my shopping list", "Mums birthday", "cafe") against the
// names of lists and the texts of items.
namespace VoiceResolution {

// No case, no accents, no apostrophes, punctuation as blanks, white space collapsed to single
// blanks and trimmed: "Mum’s To-Do!" folds to "mums to do".
QString fold(const QString& text);

// A folded list name without its leading "the", "my" and "a" and one trailing "list"; the last
// remaining word is never removed.
QString stripFiller(const QString& folded);

// The list a spoken name means: an exact name first, then folded names, then folded names
// without filler words. `lists` are in display order.
ListMatch resolve(const QString& spoken, const QList<TBList>& lists);

// The item a spoken text means among one list's items (in display order): compared folded with
// the item's whole text, tag words included, and only when that finds nothing, with the text
// without its tags ("milk" finds "Milk #dairy"). Open items first, then the first done one.
ItemMatch resolveItem(const QString& spoken, const QList<TBItem>& items);

} // namespace VoiceResolution
