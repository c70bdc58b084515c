#pragma once

#include "lexicon/ReadPlan.h"
#include "model/TBItem.h"

#include <QList>
#include <QString>

// Words the spoken reply about what is left on a list.
namespace VoiceReadback {

// One sentence: "Three things left on Groceries: bread, milk and eggs." At most `cap` items are
// named.
QString sentence(const QString& listName, const QList<TBItem>& outstanding, int cap);

// The reply for the list: nothing left, the sentence when there are at most `askBeyond` items,
// otherwise a question and, on confirmation, the first `cap` items.
ReadPlan plan(const QString& listName, const QList<TBItem>& outstanding, int cap, int askBeyond);

} // namespace VoiceReadback
