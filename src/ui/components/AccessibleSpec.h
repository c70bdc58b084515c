#pragma once

#include <QFlags>
#include <QList>
#include <QString>

#include <functional>

// What assistive technology is told about one element, in the words the screens' models use:
// a label, a hint that names the gesture ("Press to open"), a value, traits, and named
// actions (the same actions a context menu or a swipe offers).
enum class AccessibleTrait {
    button = 0x1,
    header = 0x2,
    selected = 0x4,
    image = 0x8,
    staticText = 0x10,
    hidden = 0x20, // decorative: not announced
    toggle = 0x40, // a button that stays on or off; `selected` says it is on
};
Q_DECLARE_FLAGS(AccessibleTraits, AccessibleTrait)
Q_DECLARE_OPERATORS_FOR_FLAGS(AccessibleTraits)

struct AccessibleAction {
    QString name;
    std::function<void()> run;
};

struct AccessibleSpec {
    QString label;
    QString hint;
    QString value;
    AccessibleTraits traits;
    QList<AccessibleAction> actions;
};
