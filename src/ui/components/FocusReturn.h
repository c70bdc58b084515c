#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QDialog;
class QWidget;

// Gives the keyboard focus back, when a sheet or an alert closes, to the control that had it when
// the sheet was asked for: the button that opened it, the row it was about, the field. When that
// control has gone meanwhile (made again, or removed with its row), the nearest part of the
// window around it that takes the focus has it instead; never a control elsewhere in the window
// (Qt would give it to the first one in the window, the brand bar's gear). It lives as a child
// of the dialog. Main thread only.
class FocusReturn : public QObject {
    Q_OBJECT
public:
    // Arms `dialog` to give the focus to `opener` (and, failing it, to what it lies in) when it
    // hides. A dialog armed again keeps its first opener: the window that asked for it knows best.
    static void arm(QDialog* dialog, QWidget* opener);
    // The control that has the focus in `window` now, or had it last while a menu or another
    // window is in front; none when nothing in it had the focus.
    static QWidget* focusIn(QWidget* window);
    // The opener `dialog` was armed with, while it is there.
    static QWidget* openerOf(const QDialog* dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FocusReturn(QDialog* dialog, QWidget* opener);
    void giveBack() const;
    static void giveBackLater(const QList<QPointer<QWidget>>& path);

    // The opener first, then each widget it lies in, up to its window.
    QList<QPointer<QWidget>> path_;
};
