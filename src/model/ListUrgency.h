#pragma once

#include "platform/Date.h"

#include <optional>

// How pressing a list's due date is, from the share of its time that is left.
enum class ListUrgency { none, relaxed, soon, tight, overdue };

ListUrgency listUrgencyOf(std::optional<Date> dueDate, Date createdAt, Date now);
