#pragma once

#include "DetailRow.h"
#include "ListHeroText.h"
#include "ShareBadgeFace.h"
#include "model/TBItem.h"
#include "model/TBList.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Everything the list screen shows at one moment, made in one pass from the store and the
// screen's state. The view reads only this.
struct DetailSnapshot {
    struct Hero {
        QString name;
        QString status;
        QString accessibleSummary;
        std::optional<ListHeroText::Progress> progress; // drawn as a bar when total >= 1
        std::optional<QString> dueText;
        ListUrgency urgency = ListUrgency::none;
        bool pinned = false;
        bool editable = false; // the header opens the list editor
        QString icon;
        QString colourID;
    };
    struct FilterChip {
        QString tag; // empty for the Group chip
        QString text;
        bool selected = false;
        QString accessibilityLabel;
        bool operator==(const FilterChip&) const = default;
    };
    struct CompletedHeader {
        int count = 0;
        bool expanded = false;
        QString label; // "Completed, 3 items"
        QString hint;  // "Press to show" / "Press to hide"
    };

    std::optional<TBList> list;
    QString itemsLabel; // what a screen reader calls the rows: "Items of Groceries"
    bool canEdit = true;
    QList<TBItem> items;       // all the list's items, display order
    QList<TBItem> visible;     // after the tag filter
    QList<TBItem> outstanding; // the open rows
    QList<TBItem> completed;   // the completed section, in its order
    QStringList vocabulary;
    std::optional<Hero> hero;
    QList<FilterChip> chips; // empty: no filter bar
    std::optional<CompletedHeader> completedHeader;
    std::optional<ShareBadgeFace> badge;
    bool showsEmptyState = false;
    QList<DetailRow> rows;
};
