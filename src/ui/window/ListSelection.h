#pragma once

#include "model/TBList.h"

#include <QList>
#include <QString>

#include <optional>

// Which list the detail column shows.
namespace ListSelection {
// The selected id while a list with exactly that id exists; otherwise none, so the detail column
// falls back to its placeholder. The selection itself is left as it is.
std::optional<QString> resolve(const std::optional<QString>& selected, const QList<TBList>& lists);
} // namespace ListSelection
