#pragma once

#include "model/TBList.h"

#include <optional>

// What the list editor is opened for: making a new list, or editing a list as it was when the
// editor opened.
struct ListEditorMode {
    std::optional<TBList> list; // none: a new list

    static ListEditorMode create() { return {}; }
    static ListEditorMode edit(const TBList& list) { return {list}; }
    bool isEdit() const { return list.has_value(); }
};
