#pragma once

#include <QWidget>

class LabelButton;

// The top bar of an editor sheet: "Cancel" on the left, the sheet's title centred, the button
// that confirms (grey while it cannot act) on the right, and a hairline under the bar.
class SheetTopBar : public QWidget {
    Q_OBJECT
public:
    struct Titles {
        QString title;
        QString cancel;
        QString confirm;
        // What assistive technology says of the confirming button.
        QString confirmLabel;
    };

    explicit SheetTopBar(const Titles& titles, QWidget* parent = nullptr);

    LabelButton* cancelButton() const { return cancel_; }
    LabelButton* confirmButton() const { return confirm_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LabelButton* cancel_;
    LabelButton* confirm_;
};
