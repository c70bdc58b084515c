#pragma once

#include "TBList.h"

#include <QList>
#include <QString>

#include <optional>

// The list last opened in the detail pane, remembered so the window can open it again.
namespace LastOpenedList {

inline const QString key = QStringLiteral("lastOpenedList");

std::optional<QString> stored();
// Remembers the id; no id forgets the list.
void store(const std::optional<QString>& listID);

// The list to open: the remembered one while it still exists, else the first list, else none.
std::optional<QString> resolve(const std::optional<QString>& remembered,
                               const QList<TBList>& lists);

} // namespace LastOpenedList
