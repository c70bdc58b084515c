#pragma once

#include "NamePromptModel.h"
#include "SheetDialog.h"

class PrimaryButton;
class SingleLineField;

// A small sheet asking for one short name: a title, a field that has the focus when the sheet
// opens, "Cancel" and a confirm button that stays grey while the name is blank. Return in the
// field confirms like the button. Confirming announces confirmed() with the text as typed, then
// empties the text and closes; "Cancel" and Escape empty it and close.
class NamePromptSheet : public SheetDialog {
    Q_OBJECT
public:
    NamePromptSheet(NamePromptModel model, QWidget* parent);

    QString text() const { return model_.text(); }
    void setText(const QString& text);
    const NamePromptModel& model() const { return model_; }

signals:
    // The name as typed (untrimmed); the sheet closes right after.
    void confirmed(const QString& typed);

public slots:
    void confirm();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();

    NamePromptModel model_;
    SingleLineField* field_;
    PrimaryButton* confirm_;
};
