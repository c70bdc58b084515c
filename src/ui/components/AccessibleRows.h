#pragma once

#include <QAccessible>
#include <QString>
#include <QStringList>

// What an item view of painted rows tells a screen reader about its rows, beyond the label and
// hint its model gives (Qt::AccessibleTextRole, Qt::AccessibleDescriptionRole). A view that
// implements it is found as a list whose children are its rows (AccessibleRows::install()). Rows
// are known by a key that stays the same while a row moves.
class AccessibleRows {
public:
    virtual ~AccessibleRows() = default;

    virtual QString rowKey(int row) const = 0;
    virtual int rowOfKey(const QString& key) const = 0;
    virtual QAccessible::Role rowRole(int) const { return QAccessible::ListItem; }
    virtual QAccessible::State rowState(int row) const = 0;
    // The press action (QAccessibleActionInterface::pressAction()) first when the row has one,
    // then its named actions.
    virtual QStringList rowActions(int row) const = 0;
    virtual void doRowAction(int row, const QString& name) = 0;

    // Registers the accessibility factory for views that implement this; repeated calls do
    // nothing.
    static void install();
};
