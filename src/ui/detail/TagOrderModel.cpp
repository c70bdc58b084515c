// The tag order being arranged.
#include "TagOrderModel.h"

#include "platform/Defaults.h"
#include "store/ListStore.h"

TagOrderModel::TagOrderModel(const QStringList& tags, QObject* parent)
    : QAbstractListModel(parent), order_(tags) {}

void TagOrderModel::move(int row, int destination) {
    if (row < 0 || row >= order_.size() || destination < 0 || destination > order_.size() ||
        destination == row || destination == row + 1)
        return;
    beginMoveRows(QModelIndex(), row, row, QModelIndex(), destination);
    const QString tag = order_.takeAt(row);
    order_.insert(destination > row ? destination - 1 : destination, tag);
    endMoveRows();
}

int TagOrderModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(order_.size());
}

QVariant TagOrderModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= order_.size())
        return {};
    if (role == Qt::DisplayRole)
        return order_.at(index.row());
    if (role == Qt::AccessibleTextRole)
        return rowLabel(order_.at(index.row()));
    return {};
}

void TagOrderModel::write(ListStore& store, const QString& listID, const QStringList& order) {
    store.defaults().setStringList(QStringLiteral("tagOrder.") + listID, order);
    store.announceVocabularyChange(listID);
}

QString TagOrderModel::title() {
    return QStringLiteral("Arrange tags");
}
QString TagOrderModel::cancelTitle() {
    return QStringLiteral("Cancel");
}
QString TagOrderModel::doneTitle() {
    return QStringLiteral("Done");
}
QString TagOrderModel::doneLabel() {
    return QStringLiteral("Save tag order");
}
QString TagOrderModel::footer() {
    return QStringLiteral(
        "Grouping and the tag chips follow this order \u2014 set it to the way you walk the shop.");
}
QString TagOrderModel::rowLabel(const QString& tag) {
    return QStringLiteral("Tag ") + tag;
}
