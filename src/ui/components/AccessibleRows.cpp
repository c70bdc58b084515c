// Accessible interfaces of item views of painted rows, and of their rows.
#include "AccessibleRows.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWindow>

namespace {

class RowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    RowAccessible(QAbstractItemView* view, AccessibleRows* rows, QString key)
        : view_(view), rows_(rows), key_(std::move(key)) {}

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
        const QRect local = view_->visualRect(view_->model()->index(row(), 0));
        return QRect(view_->viewport()->mapToGlobal(local.topLeft()), local.size());
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

    QPointer<QAbstractItemView> view_;
    AccessibleRows* rows_; // the view itself
    QString key_;
};

class RowsAccessible : public QAccessibleWidget {
public:
    RowsAccessible(QAbstractItemView* view, AccessibleRows* rows)
        : QAccessibleWidget(view, QAccessible::List), view_(view), rows_(rows) {}
    ~RowsAccessible() override {
        for (QAccessible::Id id : std::as_const(children_))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override {
        return view_ && view_->model() ? view_->model()->rowCount() : 0;
    }
    QAccessibleInterface* child(int index) const override {
        if (!view_ || index < 0 || index >= childCount())
            return nullptr;
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
        for (auto it = children_.cbegin(); it != children_.cend(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == child)
                return rows_->rowOfKey(it.key());
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
