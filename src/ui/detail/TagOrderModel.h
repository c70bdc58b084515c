#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The rows of the tag order sheet: the list's tags in the order being arranged. The order starts
// as given and changes only by moves; the sheet hands the whole order on when the user is done.
class ListStore;

class TagOrderModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit TagOrderModel(const QStringList& tags, QObject* parent = nullptr);

    const QStringList& order() const { return order_; }
    // The tag at `row` lands before the tag that stood at `destination` (0 … count), or at the
    // end; a move onto its own place changes nothing.
    void move(int row, int destination);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Stores an arranged order as the list's tag order, and announces it so that every view of
    // the list regroups.
    static void write(ListStore& store, const QString& listID, const QStringList& order);

    static QString title();       // "Arrange tags"
    static QString cancelTitle(); // "Cancel"
    static QString doneTitle();   // "Done"
    static QString doneLabel();   // "Save tag order"
    static QString footer();
    static QString rowLabel(const QString& tag); // "Tag dairy"

private:
    QStringList order_;
};
