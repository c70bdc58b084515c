#pragma once

#include "AccessibleSpec.h"

#include <QAccessible>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

class QAbstractItemView;
class QWidget;

// What an item view of painted rows tells a screen reader about its rows, beyond the label and
// hint its model gives (Qt::AccessibleTextRole, Qt::AccessibleDescriptionRole). A view that
// implements it is found as a list whose children are its rows (AccessibleRows::install()). Rows
// are known by a key that stays the same while a row moves.
//
// A row that shows a widget (QAbstractItemView::setIndexWidget()) is found as that widget, with
// the view as its parent. A decorative row is left out; the view keeps such rows after all the
// others, because Qt's focus events count rows from the top. The controls painted inside a row
// (a tick, a star, a pencil) are the row's children, each with its own label and actions.
class AccessibleRows {
public:
    // A control painted inside a row. Known by a key that stays the same while its row shows it.
    struct Control {
        QString key;
        // Label, hint, traits; the press is an action named QAccessibleActionInterface's
        // pressAction(), and a part without actions is shown disabled.
        AccessibleSpec spec;
        QRect rect; // in the view's viewport
    };

    virtual ~AccessibleRows() = default;

    virtual QString rowKey(int row) const = 0;
    virtual int rowOfKey(const QString& key) const = 0;
    virtual QAccessible::Role rowRole(int) const { return QAccessible::ListItem; }
    virtual QAccessible::State rowState(int row) const = 0;
    // The press action (QAccessibleActionInterface::pressAction()) first when the row has one,
    // then its named actions.
    virtual QStringList rowActions(int row) const = 0;
    virtual void doRowAction(int row, const QString& name) = 0;
    // A row a screen reader passes over (a spacer).
    virtual bool rowIsDecoration(int) const { return false; }
    virtual QList<Control> rowControls(int) const { return {}; }

    // Registers the accessibility factory for views that implement this; repeated calls do
    // nothing.
    static void install();
    // The view of painted rows one of whose rows shows `widget`, or null.
    static QAbstractItemView* viewShowing(const QWidget* widget);
};
