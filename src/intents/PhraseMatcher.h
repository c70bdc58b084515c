#pragma once

#include "intents/TallybirdShortcuts.h"

#include <QList>
#include <QString>

#include <optional>

// What an utterance asks for: the request, and the list name as it was said.
struct SpokenRequest {
    IntentKind intent = IntentKind::addItem;
    std::optional<QString> listName; // present for every request that takes a list
    QString phrase;                  // the phrase that matched, as written
};

// Matches what someone says against the spoken phrases. Both sides are folded as spoken names
// are (no case, accents or apostrophes, punctuation as blanks), so "tallybird, what’s on
// groceries?" answers to "{app}, what's on {list}". The list takes whatever the phrase leaves
// between its words; when several phrases fit, the one with the most words of its own wins.
namespace PhraseMatcher {
std::optional<SpokenRequest>
match(const QString& utterance,
      const QList<AppShortcut>& shortcuts = TallybirdShortcuts::appShortcuts(),
      const QString& applicationName = TallybirdShortcuts::applicationName());
} // namespace PhraseMatcher
