#pragma once

#include "AccessibleSpec.h"

#include <QAccessible>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

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

    // What a screen reader is told of one row, to tell it what changed: its name, description,
    // the states that say what it holds (checked, expanded) and its controls.
    struct Face {
        struct Part {
            QString key;
            QString name;
            QString description;
            bool disabled = false;
            bool selected = false;
            bool operator==(const Part&) const = default;
        };
        QString name;
        QString description;
        bool checked = false;
        bool expanded = false;
        QList<Part> controls;
    };

    // Registers the accessibility factory for views that implement this; repeated calls do
    // nothing.
    static void install();

    // Telling a screen reader that rows changed, for views that implement this; rows shown as
    // widgets are left to their widgets. A row that goes is announced while it is still there,
    // one that came or changed once it is. Each makes the element of the row it announces (an
    // event is about an element): the caller announces the few rows a change touched.
    static Face faceOf(QAbstractItemView* view, int row);
    static void announceGoing(QAbstractItemView* view, int row);
    static void announceCame(QAbstractItemView* view, int row);
    // Name, description and state changes of the row and its controls since `before`; controls
    // that came are announced as new, controls that went as a change of the row's children.
    static void announceChanges(QAbstractItemView* view, int row, const Face& before);
    // The row's name changed, for a view whose model says so only after the change.
    static void announceRenamed(QAbstractItemView* view, int row);
    // Where the announcements go: to Qt's accessibility (the desktop's bridge takes them while a
    // screen reader listens), or to the announcer set here instead (a test's recorder); none
    // restores Qt's. Main thread only.
    using Announcer = std::function<void(QAccessibleEvent*)>;
    static void setAnnouncer(Announcer announcer);
    // The view of painted rows one of whose rows shows `widget`, or null.
    static QAbstractItemView* viewShowing(const QWidget* widget);
};
