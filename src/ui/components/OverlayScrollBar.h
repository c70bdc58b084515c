#pragma once

#include <QScrollBar>

class QAbstractScrollArea;

// A slim vertical scroll bar that floats over the right edge of a scroll area instead of
// taking a column of its own, so the area's rows keep their whole width (the lists page puts it
// over the margin beside its cards). It mirrors the area's own scroll bar, which stays hidden
// but keeps the range, wheel and keys; it shows only while there is something to scroll, and
// paints a rounded handle in theme colours at paint time. Main thread only.
class OverlayScrollBar : public QScrollBar {
    Q_OBJECT
public:
    // Takes over the vertical scrolling of `area`, becoming its child.
    explicit OverlayScrollBar(QAbstractScrollArea* area);

    static constexpr int thickness = 10;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void place();

    QAbstractScrollArea* area_;
};
