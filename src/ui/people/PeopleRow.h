#pragma once

#include <QString>

// One card of the circles screens: a circle or a person. Its two lines, what a screen reader
// reads for it, and the one trailing action ("Delete" a circle, "Remove" a person).
struct PeopleRow {
    QString id;
    QString title;  // the circle's name, the person's display name
    QString detail; // the member summary, the person's handle
    QString accessibilityLabel;
    QString actionTitle;
    QString actionLabel;

    bool operator==(const PeopleRow&) const = default;
};
