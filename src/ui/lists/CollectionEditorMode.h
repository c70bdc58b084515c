#pragma once

#include <QString>

#include <optional>

// What the group editor is opened for: making a new group, or editing the group of a name.
struct CollectionEditorMode {
    std::optional<QString> group; // none: a new group

    static CollectionEditorMode create() { return {}; }
    static CollectionEditorMode edit(const QString& name) { return {name}; }
    bool isEdit() const { return group.has_value(); }
    // "create", or "edit-" and the group's name: a new presentation starts afresh.
    QString id() const {
        return group ? QStringLiteral("edit-") + *group : QStringLiteral("create");
    }
    bool operator==(const CollectionEditorMode&) const = default;
};
