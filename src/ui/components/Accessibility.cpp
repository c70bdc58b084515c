// Qt accessible interfaces that speak from an AccessibleSpec.
#include "Accessibility.h"

#include "AccessibleRows.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

#include <optional>
#include <utility>

namespace {

// Keeps a widget's spec as its child, so it goes when the widget goes.
class SpecHolder : public QObject {
public:
    explicit SpecHolder(QObject* parent) : QObject(parent) {
        setObjectName(QStringLiteral("tallybird-accessible-spec"));
    }
    AccessibleSpec spec;
    // Set by setChildren(): the children found in place of the widget's own, and the element
    // found above the widget in place of its parent widget's.
    std::optional<QList<QPointer<QWidget>>> children;
    QPointer<QWidget> parent;
};

SpecHolder* holderOf(const QWidget* widget) {
    if (widget == nullptr)
        return nullptr;
    return widget->findChild<SpecHolder*>(QStringLiteral("tallybird-accessible-spec"),
                                          Qt::FindDirectChildrenOnly);
}

bool isTextInput(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget);
}

QAccessible::Role roleFor(const QWidget* widget, AccessibleTraits traits) {
    if (traits & AccessibleTrait::hidden)
        return QAccessible::NoRole;
    // A toggle is a button that stays on or off, as Qt describes a checkable push button.
    if (traits & AccessibleTrait::toggle)
        return QAccessible::Button;
    // A switch: a button that stays on or off.
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget);
        button && button->isCheckable())
        return QAccessible::CheckBox;
    if (traits & AccessibleTrait::button || qobject_cast<const QAbstractButton*>(widget))
        return QAccessible::Button;
    if (traits & AccessibleTrait::header)
        return QAccessible::Heading;
    if (traits & AccessibleTrait::image)
        return QAccessible::Graphic;
    if (traits & AccessibleTrait::staticText)
        return QAccessible::StaticText;
    return QAccessible::Grouping;
}

// The spec's part of an element's state; `state` holds what the widget says of itself.
QAccessible::State withTraits(QAccessible::State state, AccessibleTraits traits) {
    if (traits & AccessibleTrait::selected) {
        state.selectable = true;
        state.selected = true;
    }
    if (traits & AccessibleTrait::toggle) {
        state.checkable = true;
        state.checked = bool(traits & AccessibleTrait::selected);
    }
    if (traits & AccessibleTrait::hidden)
        state.invisible = true;
    return state;
}

class SpecAccessible : public QAccessibleWidget {
public:
    explicit SpecAccessible(QWidget* widget)
        : QAccessibleWidget(widget, roleFor(widget, holderOf(widget)->spec.traits)) {}

    QAccessible::Role role() const override { return roleFor(widget(), spec().traits); }

    QString text(QAccessible::Text kind) const override {
        switch (kind) {
        case QAccessible::Name:
            return spec().label;
        case QAccessible::Description:
            return Accessibility::descriptionOf(spec());
        case QAccessible::Value:
            return spec().value;
        default:
            return QAccessibleWidget::text(kind);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State state = withTraits(QAccessibleWidget::state(), spec().traits);
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget());
            button && button->isCheckable()) {
            state.checkable = true;
            state.checked = button->isChecked();
        }
        return state;
    }

    QAccessibleInterface* parent() const override {
        if (const SpecHolder* holder = holderOf(widget()); holder && holder->parent)
            return QAccessible::queryAccessibleInterface(holder->parent.data());
        // A widget shown on a row of painted rows stands among the rows.
        if (QAbstractItemView* view = AccessibleRows::viewShowing(widget()))
            return QAccessible::queryAccessibleInterface(view);
        return QAccessibleWidget::parent();
    }
    int childCount() const override {
        const SpecHolder* holder = holderOf(widget());
        return holder && holder->children ? int(shownChildren().size())
                                          : QAccessibleWidget::childCount();
    }
    QAccessibleInterface* child(int index) const override {
        const SpecHolder* holder = holderOf(widget());
        if (!holder || !holder->children)
            return QAccessibleWidget::child(index);
        const QList<QWidget*> children = shownChildren();
        return index >= 0 && index < children.size()
                   ? QAccessible::queryAccessibleInterface(children.at(index))
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const SpecHolder* holder = holderOf(widget());
        if (!holder || !holder->children)
            return QAccessibleWidget::indexOfChild(child);
        if (child == nullptr)
            return -1;
        return int(shownChildren().indexOf(qobject_cast<QWidget*>(child->object())));
    }

    QStringList actionNames() const override {
        QStringList names;
        if (qobject_cast<QAbstractButton*>(widget()))
            names << pressAction();
        for (const AccessibleAction& action : spec().actions)
            if (!names.contains(action.name))
                names << action.name;
        return names + QAccessibleWidget::actionNames();
    }

    QString localizedActionName(const QString& name) const override {
        for (const AccessibleAction& action : spec().actions) {
            if (action.name == name)
                return name;
        }
        return QAccessibleWidget::localizedActionName(name);
    }

    void doAction(const QString& name) override {
        for (const AccessibleAction& action : spec().actions) {
            if (action.name == name && action.run) {
                action.run();
                return;
            }
        }
        if (name == pressAction()) {
            if (auto* button = qobject_cast<QAbstractButton*>(widget())) {
                button->click();
                return;
            }
        }
        QAccessibleWidget::doAction(name);
    }

private:
    const AccessibleSpec& spec() const {
        static const AccessibleSpec none;
        const SpecHolder* holder = holderOf(widget());
        return holder ? holder->spec : none;
    }
    // The children given by setChildren() that are still there.
    QList<QWidget*> shownChildren() const {
        QList<QWidget*> shown;
        for (const QPointer<QWidget>& child : *holderOf(widget())->children)
            if (child)
                shown.append(child.data());
        return shown;
    }
};

QAccessibleInterface* factory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr || isTextInput(widget) || holderOf(widget) == nullptr)
        return nullptr;
    return new SpecAccessible(widget);
}

void ensureFactory() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(factory);
}

} // namespace

namespace Accessibility {

void apply(QWidget* widget, const AccessibleSpec& spec) {
    // Each setting is announced to a screen reader (Qt 6.4 announces even an unchanged one):
    // only what changed is set.
    if (isTextInput(widget)) {
        if (widget->accessibleName() != spec.label)
            widget->setAccessibleName(spec.label);
        if (widget->accessibleDescription() != spec.hint)
            widget->setAccessibleDescription(spec.hint);
        return;
    }
    ensureFactory();
    SpecHolder* holder = holderOf(widget);
    const bool fresh = holder == nullptr;
    if (fresh)
        holder = new SpecHolder(widget);
    const AccessibleSpec before = std::exchange(holder->spec, spec);
    // An interface Qt made before the widget had a spec would go on answering for it.
    if (QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(widget)) {
        if (dynamic_cast<SpecAccessible*>(existing) == nullptr) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
            QAccessible::queryAccessibleInterface(widget);
        }
    }
    // Set once the spec is in place, so that the name and description they announce are the
    // new ones.
    if (widget->accessibleName() != spec.label)
        widget->setAccessibleName(spec.label);
    const bool hintChanged = widget->accessibleDescription() != spec.hint;
    if (hintChanged)
        widget->setAccessibleDescription(spec.hint);
    if (fresh || !QAccessible::isActive())
        return;
    // The description also says the value: a new value alone is a new description too.
    if (!hintChanged && descriptionOf(before) != descriptionOf(spec)) {
        QAccessibleEvent descriptionChanged(widget, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&descriptionChanged);
    }
    const QAccessible::State was = withTraits(QAccessible::State(), before.traits);
    const QAccessible::State now = withTraits(QAccessible::State(), spec.traits);
    QAccessible::State changed;
    changed.selected = was.selected != now.selected;
    changed.checked = was.checked != now.checked;
    if (changed.selected || changed.checked) {
        QAccessibleStateChangeEvent stateChanged(widget, changed);
        QAccessible::updateAccessibility(&stateChanged);
    }
}

void hide(QWidget* widget) {
    apply(widget, AccessibleSpec{{}, {}, {}, AccessibleTrait::hidden, {}});
}

const AccessibleSpec* specOf(const QWidget* widget) {
    const SpecHolder* holder = holderOf(widget);
    return holder ? &holder->spec : nullptr;
}

void setChildren(QWidget* container, const QList<QWidget*>& children) {
    SpecHolder* holder = holderOf(container);
    if (holder == nullptr)
        return;
    holder->children.emplace();
    for (QWidget* child : children) {
        holder->children->append(child);
        if (SpecHolder* childHolder = holderOf(child))
            childHolder->parent = container;
    }
}

QAccessible::Role roleOf(const AccessibleSpec& spec) {
    return roleFor(nullptr, spec.traits);
}

QAccessible::State stateOf(const AccessibleSpec& spec) {
    return withTraits(QAccessible::State(), spec.traits);
}

QString descriptionOf(const AccessibleSpec& spec) {
    if (spec.value.isEmpty())
        return spec.hint;
    if (spec.hint.isEmpty())
        return spec.value;
    return spec.value + QStringLiteral(". ") + spec.hint;
}

} // namespace Accessibility
