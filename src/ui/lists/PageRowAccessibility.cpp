// Accessible interfaces of the lists page's list view and its rows.
#include "PageRowAccessibility.h"

#include "ListsScreenModel.h"
#include "PageListView.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWindow>

namespace {

class PageRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PageRowAccessible(PageListView* view, QString rowID) : view_(view), rowID_(std::move(rowID)) {}

    bool isValid() const override { return view_ && row() >= 0; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(view_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        if (!isValid())
            return {};
        const QModelIndex index = view_->screen().rows().index(row());
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
        const QRect local = view_->visualRect(view_->screen().rows().index(row()));
        return QRect(view_->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const PageRowModel& rows = view_->screen().rows();
        const int r = row();
        state.focusable = true;
        state.focused = view_->hasFocus() && view_->currentIndex().row() == r;
        if (rows.content(r).isHeader()) {
            state.expandable = true;
            state.expanded = !rows.content(r).collapsed;
            state.collapsed = rows.content(r).collapsed;
        } else {
            state.selectable = true;
            state.selected = rows.listRow(r).selected;
        }
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (!isValid())
            return names;
        const PageRowModel& rows = view_->screen().rows();
        // In edit mode a list's row does not open.
        if (rows.content(row()).isHeader() || !rows.editing())
            names.append(pressAction());
        for (const RowCommand& command : rows.accessibleActions(row()))
            names.append(command.title);
        return names;
    }
    QString localizedActionDescription(const QString& name) const override {
        if (name == pressAction())
            return text(QAccessible::Description);
        return name;
    }
    void doAction(const QString& name) override {
        if (!isValid())
            return;
        ListsScreenModel& screen = view_->screen();
        if (name == pressAction() && actionNames().contains(name)) {
            screen.activate(rowID_);
            return;
        }
        for (const RowCommand& command : screen.rows().accessibleActions(row())) {
            if (command.title == name) {
                screen.perform(rowID_, command.action);
                return;
            }
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    int row() const { return view_ ? view_->screen().rows().rowOf(rowID_) : -1; }

    QPointer<PageListView> view_;
    QString rowID_;
};

class PageListAccessible : public QAccessibleWidget {
public:
    explicit PageListAccessible(PageListView* view)
        : QAccessibleWidget(view, QAccessible::List), view_(view) {}
    ~PageListAccessible() override {
        for (QAccessible::Id id : std::as_const(children_))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return view_ ? view_->screen().rows().rowCount() : 0; }
    QAccessibleInterface* child(int index) const override {
        if (!view_ || index < 0 || index >= childCount())
            return nullptr;
        const QString id = view_->screen().rows().content(index).id();
        // One interface per row id, so a row keeps its interface when it moves.
        auto found = children_.constFind(id);
        if (found != children_.cend())
            return QAccessible::accessibleInterface(*found);
        auto* row = new PageRowAccessible(view_, id);
        children_.insert(id, QAccessible::registerAccessibleInterface(row));
        return row;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!view_ || !child)
            return -1;
        for (auto it = children_.cbegin(); it != children_.cend(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child)
                return view_->screen().rows().rowOf(it.key());
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
    QPointer<PageListView> view_;
    mutable QHash<QString, QAccessible::Id> children_;
};

QAccessibleInterface* factory(const QString&, QObject* object) {
    if (auto* view = qobject_cast<PageListView*>(object))
        return new PageListAccessible(view);
    return nullptr;
}

} // namespace

namespace PageRowAccessibility {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

} // namespace PageRowAccessibility
