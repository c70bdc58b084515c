// The list palette as appearance-following colours, and the urgency colours.
#include "ListPalette.h"

#include "model/TBList.h"

namespace ListPalette {

DynamicColour colour(const ListColour& entry) {
    return {entry.light, entry.dark};
}

DynamicColour of(const TBList& list) {
    return colour(list.colour());
}

std::optional<DynamicColour> urgency(ListUrgency level) {
    switch (level) {
    case ListUrgency::none:
        return std::nullopt;
    case ListUrgency::relaxed:
        return colour(ListColour::find(QStringLiteral("green")));
    case ListUrgency::soon:
        return colour(ListColour::find(QStringLiteral("orange")));
    case ListUrgency::tight:
    case ListUrgency::overdue:
        break;
    }
    return colour(ListColour::find(QStringLiteral("red")));
}

} // namespace ListPalette
