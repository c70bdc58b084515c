#pragma once

#include <QFont>
#include <QStyledItemDelegate>

class CollectionEditorRowModel;

// Paints a row of the group editor's lists: a tick circle, the list's badge, its name and,
// for a list filed in another group, "Currently in …".
class CollectionEditorRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    CollectionEditorRowDelegate(const CollectionEditorRowModel& rows, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Ticking is the sheet's to do; the stock check box handling stays out.
    bool editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&,
                     const QModelIndex&) override {
        return false;
    }

private:
    const CollectionEditorRowModel& rows_;
    QFont nameFont_;
    QFont detailFont_;
    int plainHeight_;
    int filedHeight_; // with the "Currently in" line
};
