#pragma once

#include "PaintedButton.h"

#include <QFont>

// A tag as a small chip: "#" and the tag in a monospaced font, blue and white when selected,
// grey otherwise. Painted rows draw chips with paint() and size them with sizeFor().
class TagChip : public PaintedButton {
    Q_OBJECT
public:
    TagChip(const QString& tag, bool selected, QWidget* parent = nullptr);

    QString tag() const { return tag_; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The chip's font at the current text scale.
    static QFont chipFont();
    static QString text(const QString& tag); // "#" directly followed by the tag
    static QSizeF sizeFor(const QString& tag, const QFont& font);
    static void paint(QPainter& painter, const QRectF& box, const QString& tag, bool selected,
                      const QFont& font);

protected:
    void paintFace(QPainter& painter) override;
    // Selected, the chip is filled with the ring's own colour.
    bool fillsFocusShape() const override { return selected_; }

private:
    void updateAccessible();

    QString tag_;
    bool selected_;
};
