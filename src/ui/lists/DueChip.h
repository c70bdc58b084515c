#pragma once

#include "model/ListUrgency.h"

#include <QFont>
#include <QWidget>

class QPainter;

// A list's due date as a small chip: a dot in the colour of its urgency (the variant text
// colour when it has none) and the due text, 12 points × the text scale, monospaced. List rows
// paint it with paint(); the list's own header places the widget. A screen reader hears the
// text and how pressing it is ("tomorrow, On track").
class DueChip : public QWidget {
    Q_OBJECT

public:
    DueChip(const QString& text, ListUrgency urgency, QWidget* parent = nullptr);
    void setDue(const QString& text, ListUrgency urgency);

    static QFont font();
    // Paints the chip from the left of `box`, vertically centred, within its width; a text cut
    // to fewer than four letters is left out and the dot stays alone.
    static void paint(QPainter& painter, const QRect& box, const QString& text, ListUrgency urgency,
                      const QFont& font);
    static int width(const QString& text, const QFont& font);
    // The words start this far right of the chip's left edge, after the dot.
    static constexpr int textInset = 7 + 4;
    // The dot of a chip at `line` (the chip's first line of text), and its painting.
    static QRect dotRect(const QRect& line);
    static void paintDot(QPainter& painter, const QRect& dot, ListUrgency urgency);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    ListUrgency urgency_;
};
