#pragma once

#include <QLineEdit>

class TextFieldRing;

// A one-line text field. QLineEdit keeps line breaks that are pasted or dropped into it (and
// then stores names with hidden breaks); this field turns each line break into a space as it
// arrives, whether typed, pasted, dropped or set. While it has the keyboard focus it is ringed:
// by its border's colour when it has the rounded border, by a ring around it when it has none.
class SingleLineField : public QLineEdit {
    Q_OBJECT
public:
    explicit SingleLineField(QWidget* parent = nullptr);

    // The bordered look of a field in a form or sheet: a card-coloured rounded box with a thin
    // outline (a primary one while focused), the text inset from it.
    void setRoundedBorder(bool rounded);

    // `text` with every line break (LF, CR, CR LF as one, VT, FF, NEL, U+2028, U+2029) made one
    // space; `cursor`, when given, is moved to stay after the same character.
    static QString flatten(const QString& text, int* cursor = nullptr);

    // The ring around the field while it has the focus and no border of its own.
    const TextFieldRing& focusRing() const { return *ring_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool rounded_ = false;
    TextFieldRing* ring_;
};
