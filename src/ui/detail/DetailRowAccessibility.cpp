// Accessible interfaces of a list's items view and its rows.
#include "DetailRowAccessibility.h"

#include "DetailItemsView.h"
#include "DetailRowModel.h"
#include "ListDetailModel.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWindow>

namespace {

int rowOfKey(const DetailRowModel& rows, const QString& key) {
    for (int i = 0; i < rows.rowCount(); ++i)
        if (rows.row(i).key() == key)
            return i;
    return -1;
}

class DetailRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    DetailRowAccessible(DetailItemsView* view, QString key) : view_(view), key_(std::move(key)) {}

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
        const QModelIndex index = view_->rows().index(row());
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
        const QRect local = view_->visualRect(view_->rows().index(row()));
        return QRect(view_->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override {
        const DetailRow::Kind kind =
            isValid() ? view_->rows().row(row()).kind : DetailRow::Kind::item;
        return kind == DetailRow::Kind::groupHeading ? QAccessible::StaticText
                                                     : QAccessible::ListItem;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const DetailRow& r = view_->rows().row(row());
        if (r.kind == DetailRow::Kind::completedHeader) {
            const bool expanded = view_->screen().state().showingCompleted;
            state.expandable = true;
            state.expanded = expanded;
            state.collapsed = !expanded;
        } else if (r.kind == DetailRow::Kind::item) {
            state.checkable = true;
            state.checked = r.item.done;
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
        const DetailRow& r = view_->rows().row(row());
        if (r.kind == DetailRow::Kind::item || r.kind == DetailRow::Kind::completedHeader)
            names.append(pressAction());
        for (const AccessibleAction& action : view_->screen().rowActions(r))
            names.append(action.name);
        return names;
    }
    QString localizedActionDescription(const QString& name) const override {
        return name == pressAction() ? text(QAccessible::Description) : name;
    }
    void doAction(const QString& name) override {
        if (!isValid())
            return;
        const DetailRow r = view_->rows().row(row());
        ListDetailModel& screen = view_->screen();
        if (name == pressAction()) {
            if (r.kind == DetailRow::Kind::item)
                screen.openItem(r.item.id);
            else if (r.kind == DetailRow::Kind::completedHeader)
                screen.toggleCompleted();
            return;
        }
        for (const AccessibleAction& action : screen.rowActions(r)) {
            if (action.name == name) {
                action.run();
                return;
            }
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    int row() const { return view_ ? rowOfKey(view_->rows(), key_) : -1; }

    QPointer<DetailItemsView> view_;
    QString key_;
};

class DetailListAccessible : public QAccessibleWidget {
public:
    explicit DetailListAccessible(DetailItemsView* view)
        : QAccessibleWidget(view, QAccessible::List), view_(view) {}
    ~DetailListAccessible() override {
        for (QAccessible::Id id : std::as_const(children_))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return view_ ? view_->rows().rowCount() : 0; }
    QAccessibleInterface* child(int index) const override {
        if (!view_ || index < 0 || index >= childCount())
            return nullptr;
        const QString key = view_->rows().row(index).key();
        // One interface per row key, so a row keeps its interface when it moves.
        const auto found = children_.constFind(key);
        if (found != children_.cend())
            return QAccessible::accessibleInterface(*found);
        auto* row = new DetailRowAccessible(view_, key);
        children_.insert(key, QAccessible::registerAccessibleInterface(row));
        return row;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!view_ || !child)
            return -1;
        for (auto it = children_.cbegin(); it != children_.cend(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == child)
                return rowOfKey(view_->rows(), it.key());
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        if (!view_)
            return nullptr;
        const QModelIndex index = view_->indexAt(view_->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? child(index.row()) : nullptr;
    }

private:
    QPointer<DetailItemsView> view_;
    mutable QHash<QString, QAccessible::Id> children_;
};

QAccessibleInterface* factory(const QString&, QObject* object) {
    if (auto* view = qobject_cast<DetailItemsView*>(object))
        return new DetailListAccessible(view);
    return nullptr;
}

} // namespace

namespace DetailRowAccessibility {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

} // namespace DetailRowAccessibility
