// The list icon catalogue.
#include "ListIcon.h"

namespace ListIcon {

const QList<Group>& groups() {
    static const QList<Group> all{
        {QStringLiteral("Everyday"),
         {"checklist", "cart", "fork.knife", "house", "washer", "pawprint"}},
        {QStringLiteral("Work"),
         {"briefcase", "laptopcomputer", "calendar", "chart.bar", "envelope"}},
        {QStringLiteral("Out and about"), {"airplane", "car", "map", "tent", "beach.umbrella"}},
        {QStringLiteral("Life"),
         {"heart", "dumbbell", "book", "gift", "birthday.cake", "graduationcap", "stethoscope",
          "hammer", "leaf", "music.note"}},
    };
    return all;
}

QString accessibilityLabel(const QString& symbol) {
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
