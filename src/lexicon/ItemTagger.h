#pragma once

#include "lexicon/LexiconVocabulary.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Proposes one tag for an item being added to a list: first from the list's similar items, then
// from the vocabulary's phrases and words. It only proposes a tag the list already has (or, from
// a similar item, that item's tag).
namespace ItemTagger {

// A tagged item of the list: its text and its first tag.
struct TaggedItem {
    QString text;
    QString tag;
};

// The tag to propose for `text` (without "#"), or nothing. `listTags` are the tags the list uses
// or offers; without a vocabulary the shared store's is used.
std::optional<QString> suggestion(const QString& text, const QStringList& listTags,
                                  const QList<TaggedItem>& existing,
                                  const LexiconVocabulary* vocabulary = nullptr);

} // namespace ItemTagger
