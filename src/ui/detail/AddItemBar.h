#pragma once

#include "FootStrip.h"

class AddItemField;
class ListDetailModel;
class SymbolButton;
class TagChipBar;

// The foot of a list that may be changed: the tag chips (when the list offers them) above a
// capsule-shaped field and a round plus button, in a reading column on the card colour under a
// hairline. Return and the plus button add the draft; the field keeps the focus. Everything it
// shows comes from the screen model's add bar face; it only forwards typing, focus and clicks.
class AddItemBar : public FootStrip {
    Q_OBJECT

public:
    explicit AddItemBar(ListDetailModel& screen, QWidget* parent = nullptr);

    AddItemField* field() const { return field_; }
    SymbolButton* plusButton() const { return plus_; }
    TagChipBar* chipBar() const { return chips_; }
    bool showsPlaceholder() const;

private:
    void follow();
    // The plus, a tag chip or the new-tag button: the bar's own buttons.
    bool isBarButton(const QWidget* widget) const;

    ListDetailModel& screen_;
    TagChipBar* chips_;
    QWidget* capsule_;
    AddItemField* field_;
    SymbolButton* plus_;
};
