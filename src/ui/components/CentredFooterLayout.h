#pragma once

#include <QLayout>

#include <functional>

// The footer row of the lists pane as a Qt layout: the last widget at the trailing edge, the
// first centred in the row while it stays `gap` clear of it. The arithmetic is
// CentredFooterGeometry's. The first widget is taken at its size hint, unless the owner gives a
// function for the width the first widget takes when offered a width (the pane uses it to
// switch its pill to the icon-only form). No Qt layout narrows a widget of fixed size policy
// below its size hint: such a first widget must change its form in that function.
class CentredFooterLayout : public QLayout {
public:
    explicit CentredFooterLayout(double gap, QWidget* parent = nullptr);
    ~CentredFooterLayout() override;

    using FirstSize = std::function<QSizeF(double offeredWidth)>;
    void setFirstSize(FirstSize firstSize) { firstSize_ = std::move(firstSize); }

    void addItem(QLayoutItem* item) override;
    int count() const override { return int(items_.size()); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    double gap_;
    QList<QLayoutItem*> items_;
    FirstSize firstSize_;
};
