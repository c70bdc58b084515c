#pragma once

#include "GrowingTextField.h"

// The note field of the item editor: one line high when empty, growing with its text up to six
// lines and scrolling after that. Return hands the note on (submitted()); Shift+Return breaks
// the line.
class NoteField : public GrowingTextField {
    Q_OBJECT
public:
    static constexpr int maximumLines = 6;

    explicit NoteField(QWidget* parent = nullptr);

    void setText(const QString& text) { setPlainText(text); }

signals:
    void submitted();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
