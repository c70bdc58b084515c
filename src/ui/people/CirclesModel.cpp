// The circles screen's rows, texts and actions.
#include "CirclesModel.h"

#include "store/ListStore.h"
#include "store/StoreChange.h"

CirclesModel::CirclesModel(ListStore& store, QObject* parent) : QObject(parent), store_(store) {
    connect(&store_, &ListStore::storeChanged, this, &CirclesModel::storeChanged);
    refresh();
}

QString CirclesModel::emptyMessage() {
    return QStringLiteral(
        "A circle is a group of people you share with often, such as your household.");
}

QString CirclesModel::explanation() {
    return QStringLiteral("Sharing a list with a circle invites everyone in it at once. Everyone "
                          "you invite through a circle can add and tick things off. To let "
                          "someone only look, share the list on its own and choose View only.");
}

QString CirclesModel::memberSummary(qsizetype members) {
    if (members == 0)
        return QStringLiteral("No one yet");
    if (members == 1)
        return QStringLiteral("1 person");
    return QString::number(members) + QStringLiteral(" people");
}

NamePromptModel CirclesModel::newCirclePrompt() {
    return NamePromptModel(QStringLiteral("New circle"), QStringLiteral("Name, such as Household"),
                           QStringLiteral("Create"));
}

void CirclesModel::openNewCircle() {
    if (showingNewCircle_)
        return;
    showingNewCircle_ = true;
    emit changed();
}

void CirclesModel::addCircle(const QString& typed) {
    store_.addCircle(typed); // the new row arrives with the store's announcement
}

void CirclesModel::newCircleClosed() {
    if (!showingNewCircle_)
        return;
    showingNewCircle_ = false;
    emit changed();
}

void CirclesModel::deleteCircle(const QString& circleID) {
    store_.deleteCircle(circleID);
}

void CirclesModel::storeChanged(const StoreChange& change) {
    if (change.circles || change.everything)
        refresh();
}

void CirclesModel::refresh() {
    QList<PeopleRow> rows;
    for (const TBCircle& circle : store_.circles()) {
        PeopleRow row;
        row.id = circle.id;
        row.title = circle.name;
        row.detail = memberSummary(circle.members.size());
        row.accessibilityLabel = row.title + QStringLiteral(", ") + row.detail;
        row.actionTitle = QStringLiteral("Delete");
        row.actionLabel = QStringLiteral("Delete ") + circle.name;
        rows.append(row);
    }
    if (rows == rows_)
        return;
    rows_ = rows;
    emit changed();
}
