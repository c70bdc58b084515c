#pragma once

#include "platform/Date.h"
#include "platform/JsonFwd.h"

#include <QString>

#include <optional>

// One entry of a list. Its tags are words of its text; its notes thread is one text.
struct TBItem {
    QString id;
    QString listID;
    QString text;
    bool done = false;
    double order = 0;
    bool pinned = false;
    std::optional<Date> completedAt;
    QString notes;

    bool operator==(const TBItem&) const = default;

    Json toJson() const;
    static TBItem fromJson(const Json& element); // throws DecodeError
};
