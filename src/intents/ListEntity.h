#pragma once

#include <QString>

// One list as requests see it: its id, and its name when the entity was made. Requests act on
// the id only; the name is for showing and choosing.
struct ListEntity {
    QString id;
    QString name;

    // What one entity is called where a kind of thing is named.
    static QString typeDisplayName() { return QStringLiteral("List"); }

    bool operator==(const ListEntity&) const = default;
};
