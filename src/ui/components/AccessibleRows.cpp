// Accessible interfaces of item views of painted rows, of their rows and of the controls
// painted inside the rows.
#include "AccessibleRows.h"

#include "Accessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <optional>

namespace {

QRect onScreen(const QAbstractItemView& view, const QRect& inViewport) {
    return QRect(view.viewport()->mapToGlobal(inViewport.topLeft()), inViewport.size());
}

// A control painted inside a row, found again by its row's key and its own on every question,
// so that it answers from the row as it is now.
class ControlAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ControlAccessible(QAbstractItemView* view, AccessibleRows* rows, QString rowKey, QString key,
                      QAccessible::Id parent)
        : view_(view), rows_(rows), rowKey_(std::move(rowKey)), key_(std::move(key)),
          parent_(parent) {}

    bool isValid() const override { return control().has_value(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::accessibleInterface(parent_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        const auto found = control();
        if (!found)
            return {};
        if (t == QAccessible::Name)
            return found->spec.label;
        if (t == QAccessible::Description)
            return Accessibility::descriptionOf(found->spec);
        if (t == QAccessible::Value)
            return found->spec.value;
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const auto found = control();
        return found ? onScreen(*view_, found->rect) : QRect();
    }
    QAccessible::Role role() const override {
        const auto found = control();
        return found ? Accessibility::roleOf(found->spec) : QAccessible::Button;
    }
    QAccessible::State state() const override {
        const auto found = control();
        if (!found) {
            QAccessible::State state;
            state.invalid = true;
            return state;
        }
        QAccessible::State state = Accessibility::stateOf(found->spec);
        state.disabled = found->spec.actions.isEmpty();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }
    QStringList actionNames() const override {
        QStringList names;
        if (const auto found = control())
            for (const AccessibleAction& action : found->spec.actions)
                names.append(action.name);
        return names;
    }
    QString localizedActionDescription(const QString& name) const override {
        return name == pressAction() ? text(QAccessible::Description) : name;
    }
    void doAction(const QString& name) override {
        if (const auto found = control()) {
            for (const AccessibleAction& action : found->spec.actions) {
                if (action.name == name && action.run) {
                    action.run();
                    return;
                }
            }
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    std::optional<AccessibleRows::Control> control() const {
        if (!view_)
            return std::nullopt;
        const int row = rows_->rowOfKey(rowKey_);
        if (row < 0)
            return std::nullopt;
        for (const AccessibleRows::Control& shown : rows_->rowControls(row))
            if (shown.key == key_)
                return shown;
        return std::nullopt;
    }

    QPointer<QAbstractItemView> view_;
    AccessibleRows* rows_; // the view itself
    QString rowKey_;
    QString key_;
    QAccessible::Id parent_;
};

class RowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    RowAccessible(QAbstractItemView* view, AccessibleRows* rows, QString key)
        : view_(view), rows_(rows), key_(std::move(key)) {}
    ~RowAccessible() override {
        for (QAccessible::Id id : std::as_const(controls_))
            QAccessible::deleteAccessibleInterface(id);
    }

    bool isValid() const override { return view_ && row() >= 0; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QList<AccessibleRows::Control> shown = controls();
        for (int i = 0; i < shown.size(); ++i)
            if (onScreen(*view_, shown.at(i).rect).contains(x, y))
                return child(i);
        return nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(view_.data());
    }
    int childCount() const override { return int(controls().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<AccessibleRows::Control> shown = controls();
        if (index < 0 || index >= shown.size())
            return nullptr;
        const QString& key = shown.at(index).key;
        const auto found = controls_.constFind(key);
        if (found != controls_.cend())
            return QAccessible::accessibleInterface(*found);
        auto* control = new ControlAccessible(
            view_, rows_, key_, key, QAccessible::uniqueId(const_cast<RowAccessible*>(this)));
        controls_.insert(key, QAccessible::registerAccessibleInterface(control));
        return control;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr)
            return -1;
        for (auto it = controls_.cbegin(); it != controls_.cend(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) != child)
                continue;
            const QList<AccessibleRows::Control> shown = controls();
            for (int i = 0; i < shown.size(); ++i)
                if (shown.at(i).key == it.key())
                    return i;
        }
        return -1;
    }

    QString text(QAccessible::Text t) const override {
        if (!isValid())
            return {};
        const QModelIndex index = view_->model()->index(row(), 0);
        if (t == QAccessible::Name)
            return index.data(Qt::AccessibleTextRole).toString();
        if (t == QAccessible::Description)
            return index.data(Qt::AccessibleDescriptionRole).toString();
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid())
            return {};
        return onScreen(*view_, view_->visualRect(view_->model()->index(row(), 0)));
    }
    QAccessible::Role role() const override {
        return isValid() ? rows_->rowRole(row()) : QAccessible::ListItem;
    }
    QAccessible::State state() const override {
        if (isValid())
            return rows_->rowState(row());
        QAccessible::State state;
        state.invalid = true;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }
    QStringList actionNames() const override {
        return isValid() ? rows_->rowActions(row()) : QStringList();
    }
    QString localizedActionDescription(const QString& name) const override {
        return name == pressAction() ? text(QAccessible::Description) : name;
    }
    void doAction(const QString& name) override {
        if (isValid() && actionNames().contains(name))
            rows_->doRowAction(row(), name);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    int row() const { return view_ ? rows_->rowOfKey(key_) : -1; }
    QList<AccessibleRows::Control> controls() const {
        return isValid() ? rows_->rowControls(row()) : QList<AccessibleRows::Control>();
    }

    QPointer<QAbstractItemView> view_;
    AccessibleRows* rows_; // the view itself
    QString key_;
    mutable QHash<QString, QAccessible::Id> controls_;
};

class RowsAccessible : public QAccessibleWidget {
public:
    RowsAccessible(QAbstractItemView* view, AccessibleRows* rows)
        : QAccessibleWidget(view, QAccessible::List), view_(view), rows_(rows) {}
    ~RowsAccessible() override {
        for (QAccessible::Id id : std::as_const(children_))
            QAccessible::deleteAccessibleInterface(id);
    }

    // The rows before the closing decorative ones; a child's index is its row.
    int childCount() const override {
        if (!view_ || !view_->model())
            return 0;
        int count = view_->model()->rowCount();
        while (count > 0 && rows_->rowIsDecoration(count - 1))
            --count;
        return count;
    }
    QAccessibleInterface* child(int index) const override {
        if (!view_ || index < 0 || index >= childCount())
            return nullptr;
        if (QWidget* shown = view_->indexWidget(view_->model()->index(index, 0)))
            return QAccessible::queryAccessibleInterface(shown);
        const QString key = rows_->rowKey(index);
        // One interface per row key, so a row keeps its interface when it moves.
        const auto found = children_.constFind(key);
        if (found != children_.cend())
            return QAccessible::accessibleInterface(*found);
        auto* row = new RowAccessible(view_, rows_, key);
        children_.insert(key, QAccessible::registerAccessibleInterface(row));
        return row;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!view_ || !child)
            return -1;
        if (auto* shown = qobject_cast<QWidget*>(child->object())) {
            const int count = childCount();
            for (int row = 0; row < count; ++row)
                if (view_->indexWidget(view_->model()->index(row, 0)) == shown)
                    return row;
            return -1;
        }
        for (auto it = children_.cbegin(); it != children_.cend(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child) {
                const int row = rows_->rowOfKey(it.key());
                return row < childCount() ? row : -1;
            }
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        if (!view_)
            return nullptr;
        const QModelIndex index = view_->indexAt(view_->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? child(index.row()) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        if (!view_ || !view_->hasFocus() || !view_->currentIndex().isValid())
            return nullptr;
        return child(view_->currentIndex().row());
    }

private:
    QPointer<QAbstractItemView> view_;
    AccessibleRows* rows_;
    mutable QHash<QString, QAccessible::Id> children_;
};

QAccessibleInterface* factory(const QString&, QObject* object) {
    auto* view = qobject_cast<QAbstractItemView*>(object);
    if (auto* rows = dynamic_cast<AccessibleRows*>(view))
        return new RowsAccessible(view, rows);
    return nullptr;
}

} // namespace

void AccessibleRows::install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

QAbstractItemView* AccessibleRows::viewShowing(const QWidget* widget) {
    const QWidget* viewport = widget ? widget->parentWidget() : nullptr;
    auto* view = viewport ? qobject_cast<QAbstractItemView*>(viewport->parentWidget()) : nullptr;
    if (!view || view->viewport() != viewport || !dynamic_cast<AccessibleRows*>(view) ||
        !view->model())
        return nullptr;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        if (view->indexWidget(view->model()->index(row, 0)) == widget)
            return view;
    return nullptr;
}

namespace {

AccessibleRows* rowsOf(QAbstractItemView* view) {
    return view && view->model() ? dynamic_cast<AccessibleRows*>(view) : nullptr;
}

// The row's element, when the row is painted (not a widget's).
QAccessibleInterface* rowElement(QAbstractItemView* view, int row) {
    if (!rowsOf(view) || row < 0 || row >= view->model()->rowCount() ||
        view->indexWidget(view->model()->index(row, 0)))
        return nullptr;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    return list ? list->child(row) : nullptr;
}

AccessibleRows::Announcer& announcer() {
    static AccessibleRows::Announcer set;
    return set;
}

void announce(QAccessibleEvent& event) {
    if (announcer())
        announcer()(&event);
    else
        QAccessible::updateAccessibility(&event);
}

void send(QAccessibleInterface* element, QAccessible::Event type) {
    QAccessibleEvent event(element, type);
    announce(event);
}

} // namespace

AccessibleRows::Face AccessibleRows::faceOf(QAbstractItemView* view, int row) {
    Face face;
    AccessibleRows* rows = rowsOf(view);
    if (!rows || row < 0 || row >= view->model()->rowCount())
        return face;
    const QModelIndex index = view->model()->index(row, 0);
    face.name = index.data(Qt::AccessibleTextRole).toString();
    face.description = index.data(Qt::AccessibleDescriptionRole).toString();
    const QAccessible::State state = rows->rowState(row);
    face.checked = state.checked;
    face.expanded = state.expanded;
    for (const Control& control : rows->rowControls(row))
        face.controls.append({control.key, control.spec.label,
                              Accessibility::descriptionOf(control.spec),
                              control.spec.actions.isEmpty(),
                              bool(control.spec.traits & AccessibleTrait::selected)});
    return face;
}

void AccessibleRows::announceGoing(QAbstractItemView* view, int row) {
    if (QAccessibleInterface* element = rowElement(view, row))
        send(element, QAccessible::ObjectDestroyed);
}

void AccessibleRows::announceCame(QAbstractItemView* view, int row) {
    if (QAccessibleInterface* element = rowElement(view, row))
        send(element, QAccessible::ObjectCreated);
}

void AccessibleRows::announceRenamed(QAbstractItemView* view, int row) {
    if (QAccessibleInterface* element = rowElement(view, row))
        send(element, QAccessible::NameChanged);
}

void AccessibleRows::announceChanges(QAbstractItemView* view, int row, const Face& before) {
    QAccessibleInterface* element = rowElement(view, row);
    if (!element)
        return;
    const Face after = faceOf(view, row);
    if (after.name != before.name)
        send(element, QAccessible::NameChanged);
    if (after.description != before.description)
        send(element, QAccessible::DescriptionChanged);
    QAccessible::State changed;
    changed.checked = after.checked != before.checked;
    changed.expanded = after.expanded != before.expanded;
    changed.collapsed = changed.expanded;
    if (changed.checked || changed.expanded) {
        QAccessibleStateChangeEvent event(element, changed);
        announce(event);
    }
    bool controlsWent = false;
    for (const Face::Part& was : before.controls) {
        const auto same = [&](const Face::Part& part) { return part.key == was.key; };
        controlsWent |= std::none_of(after.controls.cbegin(), after.controls.cend(), same);
    }
    for (int i = 0; i < after.controls.size(); ++i) {
        const Face::Part& now = after.controls.at(i);
        QAccessibleInterface* control = element->child(i);
        if (!control)
            continue;
        const auto was = std::find_if(before.controls.cbegin(), before.controls.cend(),
                                      [&](const Face::Part& part) { return part.key == now.key; });
        if (was == before.controls.cend()) {
            send(control, QAccessible::ObjectCreated);
            continue;
        }
        if (now.name != was->name)
            send(control, QAccessible::NameChanged);
        if (now.description != was->description)
            send(control, QAccessible::DescriptionChanged);
        QAccessible::State controlChanged;
        controlChanged.disabled = now.disabled != was->disabled;
        controlChanged.selected = now.selected != was->selected;
        if (controlChanged.disabled || controlChanged.selected) {
            QAccessibleStateChangeEvent event(control, controlChanged);
            announce(event);
        }
    }
    // A control that went cannot be asked about any more: the row says its children changed.
    if (controlsWent)
        send(element, QAccessible::ObjectReorder);
}

void AccessibleRows::setAnnouncer(Announcer set) {
    announcer() = std::move(set);
}
