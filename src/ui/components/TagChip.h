#pragma once

#include "PaintedButton.h"

#include <QFont>

// A tag as a small chip: "#" and the tag in a monospaced font, blue and white when selected,
// grey otherwise. Painted rows draw chips with paint() and size them with sizeFor().
class TagChip : public PaintedButton {
    Q_OBJECT
public:
    TagChip(const QString& tag, bool selected, QWidget* parent = nullptr);
    // A chip that a screen reader knows by `spec` (the selected trait follows `selected`) from
    // the start, not first by its text.
    TagChip(const QString& tag, bool selected, const AccessibleSpec& spec,
            QWidget* parent = nullptr);

    QString tag() const { return tag_; }
    bool isSelected() const { return selected_; }
    // Keeps what a screen reader is told of the chip, but for its selected trait.
    void setSelected(bool selected);
    // A new spec and look at once: a screen reader is told only of what changed.
    void setFace(bool selected, const AccessibleSpec& spec);

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
    void updateAccessible(AccessibleSpec spec);

    QString tag_;
    bool selected_;
};
