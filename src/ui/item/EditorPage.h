#pragma once

#include <QWidget>

// The scrolling page of the item editor: its content in the reading column (at most 640 wide,
// centred) on the background colour, as tall as the content needs at the page's width.
class EditorPage : public QWidget {
    Q_OBJECT
public:
    explicit EditorPage(QWidget* content, QWidget* parent = nullptr);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void place();

    QWidget* content_;
};
