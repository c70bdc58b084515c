#pragma once

#include <QPlainTextEdit>

// A borderless plain-text field on a transparent ground that is as high as its wrapped text:
// one line when empty, growing line by line up to `maximumLines` (0: no limit) and scrolling
// after that. A new width wraps the text anew, and the height follows. A ring goes round it while
// it has the keyboard focus.
class GrowingTextField : public QPlainTextEdit {
    Q_OBJECT
public:
    GrowingTextField(const QFont& font, int maximumLines, QWidget* parent = nullptr);

    QString text() const { return toPlainText(); }
    // The lines shown without scrolling: the text's laid-out lines, at least one and at most
    // the maximum.
    int visibleLines() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Lines as laid out, wrapped ones included.
    int laidOutLines() const;
    void fitHeight();

    const int maximumLines_;
};
