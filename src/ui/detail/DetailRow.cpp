// The identity of a row of the list screen.
#include "DetailRow.h"

QString DetailRow::key() const {
    switch (kind) {
    case Kind::hero:
        return QStringLiteral("hero");
    case Kind::filterBar:
        return QStringLiteral("filter");
    case Kind::groupHeading:
        return QStringLiteral("group:") + heading;
    case Kind::item:
        return (completed ? QStringLiteral("done:") : QStringLiteral("item:")) + item.id;
    case Kind::completedHeader:
        return QStringLiteral("completed");
    case Kind::spacer:
        break;
    }
    return QStringLiteral("spacer");
}
