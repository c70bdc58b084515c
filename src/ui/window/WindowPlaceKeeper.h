#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class Defaults;
class QSplitter;
class QTimer;
class QWidget;

// Keeps a window's place, size and state, and the position of its split, in the settings, and
// puts them back on the next launch fitted to the screens there are then (WindowPlacement).
// What changed is written a moment after the user stops moving, resizing or dragging the split,
// and at once when the window hides or closes, so a program that is ended abruptly loses at most
// that moment. Nothing is written for a window that was never shown. Main thread only; the
// window owns it.
class WindowPlaceKeeper : public QObject {
    Q_OBJECT
public:
    // How long after the last move, resize or drag the place is written.
    static constexpr int settleMs = 500;

    WindowPlaceKeeper(QWidget& window, Defaults& defaults);

    // The available areas of the screens there are, the primary one first; by default the
    // desktop's. Tests give their own.
    using Screens = std::function<QList<QRect>()>;
    void setScreens(Screens screens) { screens_ = std::move(screens); }

    // Puts back the kept place and state; call it before the window is first shown. Without a
    // kept place, or with one that cannot be read, the window keeps its own.
    void restoreWindow();
    // The sizes of a split `splitWidth` wide whose first column is the lists, as kept; none when
    // no position was kept.
    std::optional<QList<int>> keptSplit(int splitWidth, int handleWidth) const;
    // Follows that split from now on (the window builds it anew when the text size changes).
    void followSplit(QSplitter* split);

    // Writes the window's place and the split's position now.
    void save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    Defaults& defaults_;
    Screens screens_;
    QPointer<QSplitter> split_;
    QTimer* settle_;
    bool shown_ = false;
};
