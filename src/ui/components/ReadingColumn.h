#pragma once

#include "ui/theme/DynamicColour.h"

#include <QWidget>

// Keeps content at a comfortable width in a wide window: at most 640 wide, centred, on a
// background colour that fills the whole width. In a narrower window the content takes it all.
class ReadingColumn : public QWidget {
    Q_OBJECT
public:
    ReadingColumn(QWidget* content, DynamicColour background, QWidget* parent = nullptr);

    QWidget* content() const { return content_; }
    // The content's frame within `outer`.
    static QRect columnRect(const QRect& outer);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Wrapping content is as tall as it needs at the column's width, so a scroll area around the
    // column scrolls it instead of squeezing it.
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* content_;
    DynamicColour background_;
};
