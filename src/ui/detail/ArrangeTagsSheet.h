#pragma once

#include "ui/components/SheetDialog.h"

#include <QStringList>

#include <functional>

class ListStore;
class QListView;
class RowDragController;
class TagOrderModel;
class TextButton;

// The tag order sheet: "Arrange tags", the list's tags as chips on card rows that are dragged
// into the order of the shop, a footer that says what the order is for, "Cancel" and "Done".
// "Done" hands the whole order to `onSave` and closes; "Cancel" (or Escape) closes and saves
// nothing.
class ArrangeTagsSheet : public SheetDialog {
    Q_OBJECT

public:
    ArrangeTagsSheet(const QStringList& tags, std::function<void(const QStringList&)> onSave,
                     QWidget* parent = nullptr);

    // The sheet of a list's tags (its vocabulary, in the order shown) whose "Done" stores the
    // arranged order as the list's tag order: the sheet the window registers.
    static ArrangeTagsSheet* forList(ListStore& store, const QString& listID, QWidget* parent);

    TagOrderModel& order() const { return *order_; }
    QListView* rows() const { return rows_; }
    RowDragController& drag() const { return *drag_; }
    TextButton* doneButton() const { return done_; }
    TextButton* cancelButton() const { return cancel_; }

private:
    TagOrderModel* order_;
    QListView* rows_;
    RowDragController* drag_;
    TextButton* cancel_;
    TextButton* done_;
    std::function<void(const QStringList&)> onSave_;
};
