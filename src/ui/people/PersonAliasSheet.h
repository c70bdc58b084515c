#pragma once

#include "ui/components/SheetDialog.h"

class LabelButton;
class PaintedButton;
class ListStore;
class PersonAliasModel;
class PeopleNavBar;
class QScrollArea;
class SingleLineField;
class TextLabel;
class ContactCircle;

// The sheet in which the user keeps a name of their own for another note author, on this device
// only: "Cancel", the title and (once the details show) "Done" at the top; the person's circle
// and name; then either the one path, "Create Profile", or the nickname and photo sections.
// Return does nothing: only "Done" saves. Escape and "Cancel" keep nothing.
class PersonAliasSheet : public SheetDialog {
    Q_OBJECT

public:
    PersonAliasSheet(ListStore& store, const QString& personID, const QString& storedName,
                     QWidget* parent = nullptr);

    PersonAliasModel& model() const { return *model_; }
    LabelButton* doneButton() const { return done_; }
    LabelButton* cancelButton() const { return cancel_; }
    PaintedButton* pathButton() const { return path_; }
    SingleLineField* nicknameField() const { return nickname_; }
    LabelButton* useTheirNameButton() const { return useTheirName_; }
    LabelButton* removePhotoButton() const { return removePhoto_; }

private:
    void build();
    void sync();

    PersonAliasModel* model_;
    PeopleNavBar* bar_;
    LabelButton* cancel_;
    LabelButton* done_;
    ContactCircle* circle_;
    TextLabel* name_;
    TextLabel* note_;
    QWidget* heading_;
    QWidget* pathSection_;
    PaintedButton* path_;
    QWidget* details_;
    SingleLineField* nickname_;
    LabelButton* useTheirName_;
    LabelButton* removePhoto_;
    TextLabel* photoNote_;
};
