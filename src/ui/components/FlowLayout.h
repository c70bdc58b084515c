#pragma once

#include <QLayout>

// A layout that flows its widgets left to right at their size hints and wraps them onto new
// lines (rows of tag chips). The arithmetic is FlowGeometry's; this class only feeds it the
// items' size hints. Its height follows its width.
class FlowLayout : public QLayout {
public:
    explicit FlowLayout(double spacing, QWidget* parent = nullptr);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return int(items_.size()); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    QList<QSizeF> idealSizes() const;

    double spacing_;
    QList<QLayoutItem*> items_;
};
