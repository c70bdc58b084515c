// Accessible interfaces of the circles screens' card lists and their cards.
#include "PeopleCardAccessibility.h"

#include "PeopleCardList.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWindow>

namespace {

class CardAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    CardAccessible(PeopleCardList* list, QString id) : list_(list), id_(std::move(id)) {}

    bool isValid() const override { return row() >= 0; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return list_ ? list_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(list_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        if (!isValid() || t != QAccessible::Name)
            return {};
        return list_->rows()[row()].accessibilityLabel;
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect local = list_->visualRect(list_->model()->index(row(), 0));
        return QRect(list_->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invalid = !isValid();
        state.focusable = true;
        state.focused = isValid() && list_->hasFocus() && list_->currentIndex().row() == row();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override {
        if (!isValid())
            return {};
        QStringList names;
        if (list_->opens())
            names.append(pressAction());
        names.append(list_->rows()[row()].actionLabel);
        return names;
    }
    QString localizedActionDescription(const QString& name) const override { return name; }
    void doAction(const QString& name) override {
        if (!isValid())
            return;
        if (name == pressAction() && list_->opens())
            emit list_->opened(id_);
        else if (name == list_->rows()[row()].actionLabel)
            emit list_->acted(id_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    int row() const {
        if (!list_)
            return -1;
        const QList<PeopleRow>& rows = list_->rows();
        for (int i = 0; i < rows.size(); ++i)
            if (rows[i].id == id_)
                return i;
        return -1;
    }

    QPointer<PeopleCardList> list_;
    QString id_;
};

class CardListAccessible : public QAccessibleWidget {
public:
    explicit CardListAccessible(PeopleCardList* list)
        : QAccessibleWidget(list, QAccessible::List), list_(list) {}
    ~CardListAccessible() override {
        for (QAccessible::Id id : std::as_const(children_))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return list_ ? int(list_->rows().size()) : 0; }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        const QString id = list_->rows()[index].id;
        // One interface per card id, so a card keeps its interface while the rows change.
        if (const auto found = children_.constFind(id); found != children_.cend())
            return QAccessible::accessibleInterface(*found);
        auto* card = new CardAccessible(list_, id);
        children_.insert(id, QAccessible::registerAccessibleInterface(card));
        return card;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i)
            if (this->child(i) == child)
                return i;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        if (!list_)
            return nullptr;
        const QModelIndex index = list_->indexAt(list_->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? child(index.row()) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        if (!list_ || !list_->hasFocus() || !list_->currentIndex().isValid())
            return nullptr;
        return child(list_->currentIndex().row());
    }

private:
    QPointer<PeopleCardList> list_;
    mutable QHash<QString, QAccessible::Id> children_;
};

QAccessibleInterface* factory(const QString&, QObject* object) {
    if (auto* list = qobject_cast<PeopleCardList*>(object))
        return new CardListAccessible(list);
    return nullptr;
}

} // namespace

namespace PeopleCardAccessibility {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

} // namespace PeopleCardAccessibility
