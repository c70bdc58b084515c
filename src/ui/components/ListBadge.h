#pragma once

#include <QRectF>
#include <QWidget>

class QPainter;
struct TBList;

// A list's symbol on a rounded square of the list's palette colour. Decorative: the row or hero
// around it names the list. Painted rows draw it with paint().
class ListBadge : public QWidget {
    Q_OBJECT
public:
    ListBadge(const TBList& list, double size, QWidget* parent = nullptr);

    void setList(const TBList& list);
    QSize sizeHint() const override;

    // The badge filling `box` (a square): symbol at 0.45 of its side, corners at 0.28.
    static void paint(QPainter& painter, const QRectF& box, const QString& icon,
                      const QString& colourID);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString icon_;
    QString colourID_;
    double size_;
};
