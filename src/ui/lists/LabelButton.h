#pragma once

#include "ui/components/PaintedButton.h"
#include "ui/theme/DynamicColour.h"

#include <QFont>
#include <QMargins>

#include <optional>

// A button that reads as a line of text in a design colour, left-aligned or centred, optionally
// on a capsule or a card: the lists page's summary line and edit pill, the group editor's
// "Save" (grey while it cannot act) and "Ungroup these lists". The text is painted as given.
class LabelButton : public PaintedButton {
    Q_OBJECT

public:
    enum class Shape { none, capsule, card };

    struct Look {
        QFont font;
        DynamicColour colour;
        QMargins padding;
        int minimumHeight = 0;
        Qt::Alignment alignment = Qt::AlignCenter;
        Shape shape = Shape::none;
        DynamicColour fill{};
    };

    LabelButton(const QString& title, Look look, QWidget* parent = nullptr);

    QString title() const { return title_; }
    void setTitle(const QString& title);
    // The text's baseline, from the button's top.
    int baseline() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintFace(QPainter& painter) override;
    QPainterPath focusShape() const override;
    void changeEvent(QEvent* event) override;

private:
    QString title_;
    Look look_;
};
