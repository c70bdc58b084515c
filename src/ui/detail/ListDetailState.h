#pragma once

#include "ItemRoute.h"
#include "PersonRoute.h"

#include <QString>

#include <optional>

// Everything the screen of one list remembers while it shows that list. Nothing of it is stored:
// showing another list starts again from these initial values.
struct ListDetailState {
    QString draft;                      // text of the add field
    bool inputFocused = false;          // the add field has the keyboard focus
    std::optional<QString> selectedTag; // tag filter, without "#"
    bool grouping = false;              // open items in sections by their first tag
    bool showingFileExporter = false;
    std::optional<QString> message; // text of the screen's alert
    bool showingShareSheet = false;
    bool showingCompleted = false; // the completed section is expanded
    bool editing = false;          // the list editor is open
    bool adding = false;           // the add field has focus or a tag is being named
    bool barButtonFocused = false; // the keyboard is on the add bar's plus, chips or new tag
    std::optional<ItemRoute> openItem;
    bool namingTag = false;
    std::optional<QString> dismissedSuggestion;
    bool arrangingTags = false;
    bool settingUpSharing = false;
    std::optional<PersonRoute> editingPerson; // the person sheet, not opened from here yet

    bool operator==(const ListDetailState&) const = default;
};
