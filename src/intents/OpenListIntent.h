#pragma once

#include "platform/Defaults.h"

#include <QString>

// Asks the running program to show one list. Opens no store and does not check that the list
// still exists: the window drops a request for a list it does not have.
namespace OpenListIntent {
QString title();
void perform(const QString& listID, Defaults& defaults);
} // namespace OpenListIntent
