#pragma once

#include "TBList.h"

#include <QList>
#include <QString>

#include <optional>

class Defaults;

// The list last opened in the detail pane, remembered so the window can open it again.
namespace LastOpenedList {

inline const QString key = QStringLiteral("lastOpenedList");

// Kept under `key` in the given settings (the program's own, Defaults::standard(), in the
// window); their changed(key) tells a change.
std::optional<QString> stored(const Defaults& defaults);
// Remembers the id; no id forgets the list.
void store(Defaults& defaults, const std::optional<QString>& listID);

// The list to open: the remembered one while it still exists, else the first list, else none.
std::optional<QString> resolve(const std::optional<QString>& remembered,
                               const QList<TBList>& lists);

} // namespace LastOpenedList
