#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The five requests the program answers from outside its window.
enum class IntentKind { addItem, readList, completeItem, openList, createList };

namespace IntentKinds {
// The request's title: "Add an item", "Read a list", "Tick an item off", "Open a list",
// "Start a list".
QString title(IntentKind kind);
// The command-line word and the name on the wire: "add", "read", "tick", "open", "start".
QString command(IntentKind kind);
std::optional<IntentKind> fromCommand(const QString& word);
// Whether the request names a list (every request but starting one).
bool takesList(IntentKind kind);
// The titles of the request's parameters, in order: "List", then "Item" or "Name" where the
// request takes a text.
QStringList parameterTitles(IntentKind kind);
} // namespace IntentKinds
