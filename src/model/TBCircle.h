#pragma once

#include "TBPerson.h"
#include "platform/JsonFwd.h"

#include <QList>
#include <QString>

// A group of people the user often shares with.
struct TBCircle {
    QString id;
    QString name;
    QList<TBPerson> members; // in the order they were added
    double order = 0;

    bool operator==(const TBCircle&) const = default;

    Json toJson() const;
    // Every key is required. Throws DecodeError.
    static TBCircle fromJson(const Json& element);
};
