#pragma once

#include <QDialog>

// The base of every sheet: a dialog modal to its window only, one sheet at a time, on the
// theme's background. Escape cancels (reject()). No button is a default button: Return does
// only what a sheet's own fields do with it, never "press whatever button has the focus".
class SheetDialog : public QDialog {
    Q_OBJECT
public:
    explicit SheetDialog(QWidget* parent);
    ~SheetDialog() override;

    // Shows the sheet over its window without blocking. Refuses (false) while another sheet
    // is shown, unless that sheet is this one's parent (a prompt over the sheet that raised
    // it); the caller keeps its request and presents again later.
    bool present();
    // The sheet on screen now, if any.
    static SheetDialog* shown();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
