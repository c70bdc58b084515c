// The list icon catalogue.
#include "ListIcon.h"

namespace ListIcon {

const QList<Group>& groups() {
    static const QList<Group> all{
        {QStringLiteral("Everyday"),
         {{"checklist", "Checklist"},
          {"cart", "Shopping cart"},
          {"fork.knife", "Fork and knife"},
          {"house", "House"},
          {"washer", "Washing machine"},
          {"pawprint", "Paw print"}}},
        {QStringLiteral("Work"),
         {{"briefcase", "Briefcase"},
          {"laptopcomputer", "Laptop"},
          {"calendar", "Calendar"},
          {"chart.bar", "Bar chart"},
          {"envelope", "Envelope"}}},
        {QStringLiteral("Out and about"),
         {{"airplane", "Plane"},
          {"car", "Car"},
          {"map", "Map"},
          {"tent", "Tent"},
          {"beach.umbrella", "Beach umbrella"}}},
        {QStringLiteral("Life"),
         {{"heart", "Heart"},
          {"dumbbell", "Dumbbell"},
          {"book", "Book"},
          {"gift", "Gift"},
          {"birthday.cake", "Birthday cake"},
          {"graduationcap", "Graduation cap"},
          {"stethoscope", "Stethoscope"},
          {"hammer", "Hammer"},
          {"leaf", "Leaf"},
          {"music.note", "Music note"}}},
    };
    return all;
}

QString accessibilityLabel(const QString& symbol) {
    for (const Group& group : groups())
        for (const Icon& icon : group.icons)
            if (icon.symbol == symbol)
                return icon.name;
    QString label = symbol;
    label.replace(QLatin1Char('.'), QLatin1Char(' '));
    label.remove(QStringLiteral("fill"));
    // Only the ends: inner blanks stay as they are.
    qsizetype start = 0;
    qsizetype end = label.size();
    while (start < end && label.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && label.at(end - 1) == QLatin1Char(' '))
        --end;
    return label.mid(start, end - start);
}

} // namespace ListIcon
