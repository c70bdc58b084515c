#pragma once

#include "FootStrip.h"

// The strip at the foot of a list that may only be read, in place of the add bar: an eye and
// "View only — you can read this list but not change it.", in a column at most 640 wide over a
// card-coloured band with a hairline on top.
class ViewOnlyNote : public FootStrip {
    Q_OBJECT

public:
    explicit ViewOnlyNote(QWidget* parent = nullptr);
    static QString text();
    static QString accessibilityLabel();
};
