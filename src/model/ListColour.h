#pragma once

#include <QList>
#include <QString>

// One colour of the list palette, with its value in the light and in the dark appearance
// (0xRRGGBB).
struct ListColour {
    QString id;
    QString name;
    quint32 light = 0;
    quint32 dark = 0;

    bool operator==(const ListColour&) const = default;

    // The palette, in the order the list editor offers it, led by blue.
    static const QList<ListColour>& all();
    // The entry whose id equals `id` exactly; blue when none does.
    static const ListColour& find(const QString& id);
    static const ListColour& blue();
};
