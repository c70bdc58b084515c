#pragma once

#include <QList>
#include <QString>

#include <optional>

// What the add bar shows at one moment: the draft, whether it is blank (placeholder shown, plus
// button disabled), the tag chips above the field and the focus the field should have.
struct AddBarFace {
    // One chip of the tag chip bar. On: the draft carries the tag. Suggested: it does not, and
    // the tag is the one proposed for the draft.
    struct Chip {
        QString tag; // without "#"
        bool on = false;
        bool suggested = false;
        QString accessibilityLabel;
        QString accessibilityHint;
        bool selected() const { return on || suggested; }
        bool operator==(const Chip&) const = default;
    };

    QString draft;
    bool blank = true;
    bool inputFocused = false;
    bool showsChipBar = false; // left out when tags were declined and the list has none
    QList<Chip> chips;
    bool namingTag = false;            // the new-tag field shows instead of its button
    std::optional<QString> suggestion; // for the draft; none while it is being worked out
    // What a screen reader is told of the add field beyond its name: the proposed tag, while
    // one would be applied; it changes only when the proposal does, not at every keystroke.
    QString fieldHint;

    bool operator==(const AddBarFace&) const = default;

    static constexpr const char* placeholder = "Add an item";
    static constexpr const char* plusLabel = "Add item";
    static constexpr const char* newTagLabel = "New tag";
    static constexpr const char* newTagPlaceholder = "tag";
};
