#pragma once

#include "CollectionEditorMode.h"

#include "ui/components/SheetDialog.h"

class CollectionEditorModel;
class ListStore;
class LabelButton;
class SingleLineField;
class QListView;
class TextLabel;

// The group editor sheet: a window-modal sheet with "Cancel", the title and "Save" at the top,
// the name field, the lists to tick (a list view, however many lists there are) and, for an
// existing group, "Ungroup these lists". Return in the name field does nothing; Escape cancels.
// Nothing reaches the store before Save or Ungroup.
class CollectionEditorSheet : public SheetDialog {
    Q_OBJECT

public:
    CollectionEditorSheet(ListStore& store, const CollectionEditorMode& mode,
                          QWidget* parent = nullptr);
    ~CollectionEditorSheet() override;

    CollectionEditorModel& model() { return *model_; }
    SingleLineField* nameField() const { return name_; }
    LabelButton* saveButton() const { return save_; }
    LabelButton* cancelButton() const { return cancel_; }
    LabelButton* ungroupButton() const { return ungroup_; }
    QListView* listsView() const { return lists_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void sync();

    CollectionEditorModel* model_;
    SingleLineField* name_;
    LabelButton* cancel_;
    LabelButton* save_;
    LabelButton* ungroup_ = nullptr;
    QListView* lists_ = nullptr;
    TextLabel* noLists_ = nullptr;
};
