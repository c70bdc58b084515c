#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// The focus ring of a text field without a border of its own ("New item", "Your name", the item
// name, "Add a note"): a rounded ring in the primary colour around the field, a little apart from
// it, while the field has the keyboard focus. A see-through widget over the field's parent paints
// it, so the ring stands outside the field and the field's text stays where it was (a host may
// draw a placeholder level with it). The ring belongs to the field and goes with it.
class TextFieldRing : public QObject {
    Q_OBJECT
public:
    // Rings `field` from now on.
    explicit TextFieldRing(QWidget* field);
    ~TextFieldRing() override;

    // Whether the field wants the ring. A field that draws a border of its own does not, nor does
    // one with the style's frame.
    void setWanted(bool wanted);
    // Whether the ring is on screen now.
    bool isShown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();

    QWidget* field_;
    QPointer<QWidget> view_;
    bool wanted_ = true;
};
