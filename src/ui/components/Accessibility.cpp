// Qt accessible interfaces that speak from an AccessibleSpec.
#include "Accessibility.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

// Keeps a widget's spec as its child, so it goes when the widget goes.
class SpecHolder : public QObject {
public:
    explicit SpecHolder(QObject* parent) : QObject(parent) {
        setObjectName(QStringLiteral("tallybird-accessible-spec"));
    }
    AccessibleSpec spec;
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
            return spec().hint;
        case QAccessible::Value:
            return spec().value;
        default:
            return QAccessibleWidget::text(kind);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (spec().traits & AccessibleTrait::selected) {
            state.selectable = true;
            state.selected = true;
        }
        if (spec().traits & AccessibleTrait::hidden)
            state.invisible = true;
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget());
            button && button->isCheckable()) {
            state.checkable = true;
            state.checked = button->isChecked();
        }
        return state;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (qobject_cast<QAbstractButton*>(widget()))
            names << pressAction();
        for (const AccessibleAction& action : spec().actions)
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
    widget->setAccessibleName(spec.label);
    widget->setAccessibleDescription(spec.hint);
    if (isTextInput(widget))
        return;
    ensureFactory();
    SpecHolder* holder = holderOf(widget);
    const bool fresh = holder == nullptr;
    if (fresh)
        holder = new SpecHolder(widget);
    holder->spec = spec;
    // An interface Qt made before the widget had a spec would go on answering for it.
    if (QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(widget)) {
        if (dynamic_cast<SpecAccessible*>(existing) == nullptr) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
            QAccessible::queryAccessibleInterface(widget);
        } else if (!fresh && QAccessible::isActive()) {
            QAccessibleEvent nameChanged(widget, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&nameChanged);
            QAccessible::State changed;
            changed.selected = true;
            QAccessibleStateChangeEvent stateChanged(widget, changed);
            QAccessible::updateAccessibility(&stateChanged);
        }
    }
}

void hide(QWidget* widget) {
    apply(widget, AccessibleSpec{{}, {}, {}, AccessibleTrait::hidden, {}});
}

const AccessibleSpec* specOf(const QWidget* widget) {
    const SpecHolder* holder = holderOf(widget);
    return holder ? &holder->spec : nullptr;
}

} // namespace Accessibility
