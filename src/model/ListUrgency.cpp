#include "ListUrgency.h"

ListUrgency listUrgencyOf(std::optional<Date> dueDate, Date createdAt, Date now) {
    if (!dueDate)
        return ListUrgency::none;
    if (now >= *dueDate)
        return ListUrgency::overdue;

    const double span = dueDate->secondsSince(createdAt);
    const double left = dueDate->secondsSince(now);
    // A list made after its due date (or with an unreadable span) has no share of time to
    // measure, so only the last hour counts as tight.
    if (!(span > 0))
        return left < 3600 ? ListUrgency::tight : ListUrgency::soon;

    const double fraction = left / span;
    if (fraction < 0.15)
        return ListUrgency::tight;
    if (fraction < 0.4)
        return ListUrgency::soon;
    return ListUrgency::relaxed;
}
