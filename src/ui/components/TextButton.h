#pragma once

#include "PaintedButton.h"
#include "ui/theme/DynamicColour.h"

#include <QMargins>
#include <optional>

// A button that is a title in a design font and colour, padded, at least a given height, on an
// optional capsule. "Cancel" of a sheet, "Delete item", "Done".
class TextButton : public PaintedButton {
    Q_OBJECT
public:
    struct Look {
        QFont font;
        DynamicColour colour;
        QMargins padding;
        int minimumHeight = 0;
        std::optional<DynamicColour> capsule;
    };

    TextButton(const QString& title, Look look, QWidget* parent = nullptr);

    QString title() const { return title_; }
    void setTitle(const QString& title);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    // The room around the title: the look's padding, widened where a bare title needs room for
    // the focus ring.
    QMargins padding() const;
    void paintFace(QPainter& painter) override;
    QPainterPath focusShape() const override;
    bool fillsFocusShape() const override { return look_.capsule.has_value(); }

private:
    QString title_;
    Look look_;
};
