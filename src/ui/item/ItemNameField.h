#pragma once

#include "ui/components/GrowingTextField.h"

// The item editor's name field: wrapping over as many lines as the name needs. A name is one
// line of text: Return ends the editing (the focus moves on to the next control), and line
// breaks that are pasted or dropped in become spaces.
class ItemNameField : public GrowingTextField {
    Q_OBJECT
public:
    explicit ItemNameField(QWidget* parent = nullptr);

    // Replaces the text without announcing an edit.
    void replaceText(const QString& text);

signals:
    void edited(const QString& text);
    void focusChanged(bool focused);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    bool replacing_ = false;
};
