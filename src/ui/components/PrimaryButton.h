#pragma once

#include "PaintedButton.h"

// The main action of a screen or sheet: a title on an orange capsule. While inactive it is grey
// and takes no clicks (nor Space or Return), though it is not disabled, so it stays in the focus
// chain and keeps announcing its title. A long title wraps onto more lines, centred, and the button
// grows taller than its usual 44 points.
class PrimaryButton : public PaintedButton {
    Q_OBJECT
public:
    PrimaryButton(const QString& title, bool inactive = false, QWidget* parent = nullptr);

    QString title() const { return title_; }
    void setTitle(const QString& title);
    bool isInactive() const { return inactive_; }
    void setInactive(bool inactive);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintFace(QPainter& painter) override;
    QPainterPath focusShape() const override;
    bool fillsFocusShape() const override { return true; }
    bool hitButton(const QPoint& position) const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString title_;
    bool inactive_;
};
