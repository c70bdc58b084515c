#pragma once

#include "ui/components/SheetDialog.h"

#include <functional>

class Defaults;
class LabelButton;
class SharingSetupModel;
class SingleLineField;

// The one step before a list is shared: the name the people it is shared with will see beside
// the user's notes. "Cancel", the title and "Continue" at the top; the name field, which has
// the focus and starts empty; the explanation. Return in the field and "Continue" confirm alike:
// the name is stored, the sheet closes, then `onContinue` runs. "Cancel" and Escape store
// nothing and do not continue.
class SharingSetupSheet : public SheetDialog {
    Q_OBJECT

public:
    SharingSetupSheet(Defaults& defaults, std::function<void()> onContinue,
                      QWidget* parent = nullptr);

    SharingSetupModel& model() const { return *model_; }
    SingleLineField* nameField() const { return field_; }
    LabelButton* continueButton() const { return continue_; }
    LabelButton* cancelButton() const { return cancel_; }

public slots:
    void commit();

protected:
    void showEvent(QShowEvent* event) override;

private:
    SharingSetupModel* model_;
    std::function<void()> onContinue_;
    SingleLineField* field_;
    LabelButton* cancel_;
    LabelButton* continue_;
};
