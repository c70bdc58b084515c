#pragma once

#include <QDialog>

// The base of every sheet: a dialog modal to its window only, one sheet at a time, on the
// theme's background. Escape cancels (reject()). No button is a default button: Return in a
// field does only what that field does with it, and a QPushButton with the focus is not pressed
// by it either; the theme's painted buttons are pressed by Space or Return when the user has
// moved the focus onto them.
class SheetDialog : public QDialog {
    Q_OBJECT
public:
    explicit SheetDialog(QWidget* parent);
    ~SheetDialog() override;

    // Shows the sheet over its window without blocking. Refuses (false) while another sheet
    // is shown, unless that sheet is this one's parent (a prompt over the sheet that raised
    // it); the caller keeps its request and presents again later. When the sheet closes, the
    // keyboard focus goes back to the control that had it (FocusReturn).
    bool present();
    // The sheet on screen now, if any.
    static SheetDialog* shown();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
