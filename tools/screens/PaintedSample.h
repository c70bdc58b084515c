#pragma once

#include <QPainter>
#include <QWidget>

#include <functional>

// A gallery sample drawn by a function at paint time, so its colours follow the appearance.
class PaintedSample : public QWidget {
public:
    using Paint = std::function<void(QPainter&, const QRectF&)>;
    PaintedSample(QSize size, Paint paint) : size_(size), paint_(std::move(paint)) {
        setFixedHeight(size.height());
        setMinimumWidth(size.width());
    }
    QSize sizeHint() const override { return size_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        paint_(painter, QRectF(rect()));
    }

private:
    QSize size_;
    Paint paint_;
};
