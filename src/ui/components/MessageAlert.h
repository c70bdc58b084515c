#pragma once

#include <QString>

class QDialog;
class QMessageBox;
class QWidget;

// A screen's message as an alert: its one line as the title (plain text), with no further
// message, and one "OK" that closes it. Shown, it takes the keyboard focus, and Return presses
// "OK" as on every desktop dialog, but only a Return pressed while the alert is up: one held
// down from before (the key that led to the alert, or its repeats) lets go without closing it.
// Escape closes too. The box is wide enough for its window title, the program's name, so the
// title bar never cuts it. Modal to `parent`'s window, not shown yet.
namespace MessageAlert {

QMessageBox* make(const QString& text, QWidget* parent);

// Opens a window-modal alert or question and hands it the keyboard at once, as every sheet and
// alert of the program is: a window manager left to decide could leave the keys on the window
// behind it.
void openInFront(QDialog* dialog);

} // namespace MessageAlert
