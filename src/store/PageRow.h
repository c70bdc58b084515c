#pragma once

#include "model/TBList.h"

#include <QString>

// One row of the lists page: the header of a group of lists, or one list.
struct PageRow {
    enum class Kind { groupHeader, list };

    Kind kind = Kind::list;
    QString name; // the group's name, for a header
    TBList list;  // a copy taken when the rows were made, for a list row

    static PageRow groupHeader(const QString& name) { return PageRow{Kind::groupHeader, name, {}}; }
    static PageRow listRow(const TBList& list) { return PageRow{Kind::list, {}, list}; }

    bool isHeader() const { return kind == Kind::groupHeader; }
    QString id() const {
        return isHeader() ? QStringLiteral("H#") + name : QStringLiteral("L#") + list.id;
    }

    bool operator==(const PageRow& other) const {
        if (kind != other.kind)
            return false;
        return isHeader() ? name == other.name : list == other.list;
    }
};
