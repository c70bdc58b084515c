#pragma once

#include "model/ListUrgency.h"

#include <QString>

#include <optional>

// Everything a list row draws and says, worked out by the page's row model.
struct ListRowPresentation {
    QString listID;
    QString name;
    QString icon;     // symbol name of the badge
    QString colourID; // palette colour of the badge
    QString countSummary;
    std::optional<QString> dueText; // the due chip's text; none: no chip
    ListUrgency urgency = ListUrgency::none;
    QString dueChipAccessibilityLabel;
    bool showsSharedMark = false; // hidden in edit mode
    bool pinned = false;          // the pin mark shows in edit mode too
    bool inGroup = false;         // indented under its group's header
    bool selected = false;        // the open list of the two-pane window
    bool editing = false;         // drag stripes and a remove button instead of opening
    QString accessibilityLabel;
    QString accessibilityHint;
    QString removeButtonLabel; // the edit-mode trash button's spoken label
};

// Everything a group header draws and says.
struct GroupHeaderPresentation {
    QString name;      // as filed
    QString title;     // the name upper-cased
    QString countText; // the number of lists in the group
    bool collapsed = false;
    bool editing = false; // a pencil button in place of the count
    QString accessibilityLabel;
    QString accessibilityHint;
    QString pencilLabel;
};
