#pragma once

#include <QRectF>
#include <QWidget>

class QPainter;

// A full-width card holding one row's content: padded 16 at the sides and `vertical` above and
// below, content at the leading edge, on the card colour (the quieter one when muted), with
// rounded corners. Painted rows draw the card with paint().
class CardRow : public QWidget {
    Q_OBJECT
public:
    CardRow(bool muted, int vertical, QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return content_; }
    static void paint(QPainter& painter, const QRectF& box, bool muted);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool muted_;
    QWidget* content_;
};
