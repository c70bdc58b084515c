// What a screen reader finds of a window, asked inside the program through Qt's accessibility
// interfaces: every element shown (the ones under a hidden element are left out, as a screen
// reader leaves them), and the faults a screen reader's user would meet in that tree.
#pragma once

#include <QAccessible>
#include <QList>
#include <QMetaEnum>
#include <QString>
#include <QStringList>

#include <functional>

namespace AccessibleWalk {

struct Element {
    QAccessibleInterface* element;
    QAccessibleInterface* parent; // the element it was found under; null for the root
    int index;                    // its place among that element's children
    int depth;
};

inline bool isShown(QAccessibleInterface* element) {
    return element && element->isValid() && !element->state().invisible;
}

// The root and every element shown under it, depth first, in the order a screen reader reads.
inline QList<Element> shown(QAccessibleInterface* root) {
    QList<Element> found;
    const std::function<void(QAccessibleInterface*, QAccessibleInterface*, int, int)> walk =
        [&](QAccessibleInterface* element, QAccessibleInterface* parent, int index, int depth) {
            if (!isShown(element) || depth > 64)
                return;
            found.append({element, parent, index, depth});
            for (int i = 0; i < element->childCount(); ++i)
                walk(element->child(i), element, i, depth + 1);
        };
    walk(root, nullptr, 0, 0);
    return found;
}

// The actions that do something: all but taking the focus.
inline QStringList actionsOf(QAccessibleInterface* element) {
    QStringList actions;
    if (QAccessibleActionInterface* face = element->actionInterface())
        actions = face->actionNames();
    actions.removeAll(QAccessibleActionInterface::setFocusAction());
    return actions;
}

// Whether an element shows words of its own: a label or heading, or an element with text.
inline bool showsText(QAccessibleInterface* element) {
    const QAccessible::Role role = element->role();
    if (role == QAccessible::StaticText || role == QAccessible::Heading)
        return true;
    QAccessibleTextInterface* text = element->textInterface();
    return text && text->characterCount() > 0;
}

// Whether a screen reader stops on the element as one thing to say: a row, a button.
inline bool isStop(QAccessibleInterface* element) {
    switch (element->role()) {
    case QAccessible::ListItem:
    case QAccessible::TreeItem:
    case QAccessible::Cell:
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
        return true;
    default:
        return false;
    }
}

// Whether a screen reader names the element as the place it is in: the window, a list of rows.
// Entering an unnamed one it says nothing of where the user is.
inline bool namesAPlace(QAccessibleInterface* element) {
    switch (element->role()) {
    case QAccessible::Window:
    case QAccessible::Dialog:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Table:
        return true;
    default:
        return false;
    }
}

inline QString describe(QAccessibleInterface* element) {
    QString what =
        QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(element->role()));
    if (QObject* object = element->object())
        what +=
            QStringLiteral(" (%1 \"%2\")")
                .arg(QString::fromLatin1(object->metaObject()->className()), object->objectName());
    if (!element->text(QAccessible::Name).isEmpty())
        what += QStringLiteral(" named \"%1\"").arg(element->text(QAccessible::Name));
    return what;
}

// What is wrong under the root: an element shown that takes a press, shows text, is a stop of
// its own (a row, a button) or is a place (the window, a list of rows) without a name, and an
// element that does not name the element it was
// found under as its parent, or is not found at its own place there (a screen reader moving up and
// down the tree gets lost).
inline QStringList faults(QAccessibleInterface* root) {
    QStringList found;
    for (const Element& e : shown(root)) {
        const bool unnamed = e.element->text(QAccessible::Name).trimmed().isEmpty();
        if (unnamed && !actionsOf(e.element).isEmpty())
            found.append(describe(e.element) + QStringLiteral(" takes ") +
                         actionsOf(e.element).join(QStringLiteral(", ")) +
                         QStringLiteral(" but has no name"));
        else if (unnamed && showsText(e.element))
            found.append(describe(e.element) + QStringLiteral(" shows text but has no name"));
        else if (unnamed && isStop(e.element))
            found.append(describe(e.element) + QStringLiteral(" is a stop with nothing to say"));
        else if (unnamed && namesAPlace(e.element))
            found.append(describe(e.element) + QStringLiteral(" is a place without a name"));
        if (e.parent) {
            if (e.element->parent() != e.parent)
                found.append(describe(e.element) + QStringLiteral(" names another parent than ") +
                             describe(e.parent));
            else if (e.parent->indexOfChild(e.element) != e.index)
                found.append(describe(e.element) + QStringLiteral(" is not found at its place"));
        }
    }
    return found;
}

// The first element shown under the root with that name, or null.
inline QAccessibleInterface* named(QAccessibleInterface* root, const QString& name) {
    for (const Element& e : shown(root))
        if (e.element->text(QAccessible::Name) == name)
            return e.element;
    return nullptr;
}

// The names of the elements shown under the root with that role, in reading order.
inline QStringList namesOf(QAccessibleInterface* root, QAccessible::Role role) {
    QStringList names;
    for (const Element& e : shown(root))
        if (e.element->role() == role)
            names.append(e.element->text(QAccessible::Name));
    return names;
}

} // namespace AccessibleWalk
