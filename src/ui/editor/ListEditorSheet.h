#pragma once

#include "ListEditorMode.h"

#include "ui/components/SheetDialog.h"

#include <QList>

class DueDatePicker;
class KindRowButton;
class LabelButton;
class ListEditorHeading;
class ListEditorModel;
class ListStore;
class MenuField;
class NamePromptModel;
class NamePromptSheet;
class PaletteCell;
class QMessageBox;
class QScrollArea;
class SingleLineField;
class SwitchRow;
class TagOfferView;

// The list editor: a window-modal sheet with "Cancel", the title and "Create" or "Save" at the
// top, and below, scrolling, the heading and the sections Name, Kind, Due or Keep completed
// items, Icon, Tags (a new list whose name or icon is recognised), Colour and Group. Return does
// nothing but in its name prompts, where it confirms; Escape cancels. Nothing reaches the
// store before the confirm button. The sheet closes itself when the edited list is deleted.
// When the edited list turns view only (its owner changed the permission), an alert over the
// sheet says the changes were not saved, and the sheet closes with it.
class ListEditorSheet : public SheetDialog {
    Q_OBJECT

public:
    ListEditorSheet(ListStore& store, const ListEditorMode& mode, QWidget* parent = nullptr);
    ~ListEditorSheet() override;

    ListEditorModel& model() { return *model_; }
    SingleLineField* nameField() const { return name_; }
    LabelButton* confirmButton() const { return confirm_; }
    LabelButton* cancelButton() const { return cancel_; }
    const QList<KindRowButton*>& kindRows() const { return kindRows_; }
    SwitchRow* dueSwitch() const { return dueSwitch_; }
    DueDatePicker* duePicker() const { return duePicker_; }
    MenuField* retentionMenu() const { return retentionMenu_; }
    MenuField* groupMenu() const { return groupMenu_; }
    TagOfferView* tagOffer() const { return tagOffer_; }
    // The prompt shown over the sheet now, if any.
    NamePromptSheet* prompt() const { return prompt_; }
    // The alert that the list turned view only, while it is shown.
    QMessageBox* viewOnlyAlert() const { return viewOnlyAlert_; }
    QScrollArea* scrollArea() const { return scroll_; }

signals:
    // A list was made: the window opens it.
    void listCreated(const QString& listID);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildContent();
    QWidget* kindSection();
    QWidget* dueSection();
    QWidget* retentionSection();
    QWidget* iconSection();
    QWidget* colourSection();
    QWidget* groupSection();
    void showRetentionMenu();
    void showGroupMenu();
    void showPrompt(const NamePromptModel& prompt,
                    void (ListEditorModel::*confirm)(const QString&));
    void save();
    void sync();
    void tellViewOnly();

    ListEditorModel* model_;
    LabelButton* cancel_ = nullptr;
    LabelButton* confirm_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    ListEditorHeading* heading_ = nullptr;
    SingleLineField* name_ = nullptr;
    QList<KindRowButton*> kindRows_;
    QWidget* dueSection_ = nullptr;
    SwitchRow* dueSwitch_ = nullptr;
    DueDatePicker* duePicker_ = nullptr;
    QWidget* retentionSection_ = nullptr;
    MenuField* retentionMenu_ = nullptr;
    QList<PaletteCell*> iconCells_;
    QWidget* tagSection_ = nullptr;
    TagOfferView* tagOffer_ = nullptr;
    QList<PaletteCell*> colourCells_;
    MenuField* groupMenu_ = nullptr;
    NamePromptSheet* prompt_ = nullptr;
    QMessageBox* viewOnlyAlert_ = nullptr;
};
