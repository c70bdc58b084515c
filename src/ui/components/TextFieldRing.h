#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

// The focus ring of a control that has no room for a ring inside it: a text field without a
// border of its own ("New item", "Your name", the item name, "Add a note"), or a button whose
// text reaches its edges (the lists' summary line, the list editor's Group picker). A rounded
// ring in the primary colour goes around the control, a little apart from it, while it has the
// keyboard focus. A see-through widget over an ancestor with room for the whole ring paints it
// (a control flush with its parent's edge is ringed whole, not cut there), so the ring stands
// outside the control and the control's text stays where it was (a host may draw a placeholder
// level with it). The ring belongs to the control and goes with it.
class TextFieldRing : public QObject {
    Q_OBJECT
public:
    // The ring's distance from the field's edge for a field whose text is inset by Qt's own
    // margin (a QLineEdit's); one whose text starts at its edge needs twice that to keep the same
    // clear space between ring and text.
    static constexpr int standardGap = 2;

    // Rings `field` from now on, `gap` pixels outside it.
    explicit TextFieldRing(QWidget* field, int gap = standardGap);
    ~TextFieldRing() override;

    // Whether the field wants the ring. A field that draws a border of its own does not, nor does
    // one with the style's frame.
    void setWanted(bool wanted);
    // When the ring shows: while the control has the focus, unless said otherwise (a button
    // rings only the focus the keyboard brought). The control calls follow() when it changes.
    void setShownWhile(std::function<bool()> condition);
    // Whether the ring is on screen now.
    bool isShown() const;
    // Puts the ring where the control is now, or takes it away.
    void follow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(const QList<QWidget*>& between);

    QWidget* field_;
    int gap_;
    QPointer<QWidget> view_;
    bool wanted_ = true;
    std::function<bool()> shownWhile_;
    // The widgets between the field and the ring's host: their moves move the field.
    QList<QPointer<QWidget>> watched_;
};
