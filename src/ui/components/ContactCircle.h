#pragma once

#include "model/PersonDisplay.h"

#include <QImage>
#include <QRectF>
#include <QWidget>

class QPainter;

// A person in a circle: their photo when it decodes, else their initials, else a person symbol,
// on the primary colour. Decorative: the text beside it names the person.
class ContactCircle : public QWidget {
    Q_OBJECT
public:
    ContactCircle(const PersonDisplay::Resolved& display, double size, QWidget* parent = nullptr);

    void setDisplay(const PersonDisplay::Resolved& display);
    QSize sizeHint() const override;

    // The photo when its data decodes as an image; null otherwise.
    static QImage decodedPhoto(const PersonDisplay::Resolved& display);
    static void paint(QPainter& painter, const QRectF& box, const PersonDisplay::Resolved& display,
                      const QImage& photo);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PersonDisplay::Resolved display_;
    QImage photo_; // decoded once, not on every paint
    double size_;
};
